#include "result_file.h"

#include "base/unit_text.h"
#include "convert/temporary_file.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace recodo {

namespace {

std::u16string Quoted(const std::u16string& path) { return u"\"" + path + u"\""; }

}  // namespace

bool ResultFile::Create(const char16_t* destination, unsigned* counter, platform::ErrorCode* error) {
  Discard();
  destination_ = destination;
  writeError_ = 0;
  failedPlace_ = Quoted(destination_);
  if (!platform::MayReplace(destination, error)) return false;
  created_ = CreateTemporaryBeside(destination, counter, file_, &temporary_, error);
  if (created_) return true;
  // The folder said no, whatever the file would have.
  std::u16string folder(destination);
  platform::RemoveFileSpec(folder.data());
  folder.resize(UnitLength(folder.c_str()));
  failedPlace_ = Quoted(folder.empty() ? u"." : folder);
  return false;
}

bool ResultFile::Take(const std::uint8_t* bytes, std::size_t length) {
  return file_.Write(bytes, length, &writeError_);
}

bool ResultFile::Place(const char16_t* source, bool durable, platform::ErrorCode* error) {
  failedPlace_ = Quoted(destination_);
  if (durable && !file_.Flush(error)) return false;
  file_.TakeAccessFrom(destination_.c_str(), source);
  if (!file_.Close(error) || !platform::PutInPlace(temporary_.c_str(), destination_.c_str(), durable, error))
    return false;
  created_ = false;
  return true;
}

void ResultFile::Discard() {
  if (!created_) return;
  // Only a file this run created is removed: a name that was taken may
  // belong to a run going on beside this one.
  platform::ErrorCode ignored = 0;
  file_.Close(&ignored);
  platform::RemoveFile(temporary_.c_str());
  created_ = false;
}

}  // namespace recodo
