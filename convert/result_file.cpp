#include "result_file.h"

#include "base/quoted.h"
#include "base/unit_text.h"
#include "convert/temporary_file.h"
#include "platform/file_system.h"
#include "platform/interrupts.h"
#include "platform/paths.h"

namespace recodo {

bool ResultFile::Create(const char16_t* destination, unsigned* counter, platform::ErrorCode* error) {
  Discard();
  destination_ = destination;
  counter_ = counter;
  writeError_ = 0;
  failedPlace_ = Quoted(destination_);
  if (!platform::MayReplace(destination, error)) return false;
  std::u16string folder(destination);
  platform::RemoveFileSpec(folder.data());
  folder.resize(UnitLength(folder.c_str()));
  // Without a name until it is complete, where the file system allows:
  // then even a killed run leaves nothing behind. Elsewhere a temporary
  // name, which an interrupt removes.
  created_ = file_.CreateUnnamed(folder.c_str(), error);
  if (!created_ && platform::IsNotSupported(*error)) {
    *error = 0;
    created_ = CreateTemporaryBeside(destination, counter, file_, &temporary_, error);
    if (created_) platform::RegisterTemporary(temporary_.c_str());
  }
  if (created_) return true;
  // The folder said no, whatever the file would have.
  failedPlace_ = Quoted(folder.empty() ? u"." : folder);
  return false;
}

bool ResultFile::Take(const std::uint8_t* bytes, std::size_t length) {
  return file_.Write(bytes, length, &writeError_);
}

bool ResultFile::Ready(const char16_t* source, bool durable, platform::ErrorCode* error) {
  failedPlace_ = Quoted(destination_);
  if (durable && !file_.Flush(error)) return false;
  file_.TakeAccessFrom(destination_.c_str(), source);
  return true;
}

bool ResultFile::Place(bool durable, platform::ErrorCode* error) {
  failedPlace_ = Quoted(destination_);
  if (file_.unnamed()) {
    // A new destination takes the name at once; one that exists is
    // replaced by a rename, as a named temporary would be.
    if (!platform::Exists(destination_.c_str()) && file_.Name(destination_.c_str(), durable, error)) {
      created_ = false;
      return file_.Close(error);
    }
    if (!NameTemporaryBeside(destination_.c_str(), counter_, file_, &temporary_, error)) return false;
    platform::RegisterTemporary(temporary_.c_str());
  }
  if (!file_.Close(error) || !platform::PutInPlace(temporary_.c_str(), destination_.c_str(), durable, error))
    return false;
  platform::UnregisterTemporary(temporary_.c_str());
  temporary_.clear();
  created_ = false;
  return true;
}

void ResultFile::Discard() {
  if (!created_) return;
  // Only a file this run created is removed: a name that was taken may
  // belong to a run going on beside this one. One without a name goes as
  // it is closed.
  platform::ErrorCode ignored = 0;
  file_.Close(&ignored);
  if (!temporary_.empty()) {
    platform::RemoveFile(temporary_.c_str());
    platform::UnregisterTemporary(temporary_.c_str());
    temporary_.clear();
  }
  created_ = false;
}

}  // namespace recodo
