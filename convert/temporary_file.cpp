#include "temporary_file.h"

#include "base/text_format.h"
#include "base/unit_text.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace recodo {
namespace {

// Tries names until `take` takes one; a name already taken is passed over.
template <typename Take>
bool TryNames(const char16_t* destinationPath, unsigned* counter, std::u16string* path, platform::ErrorCode* error,
              Take take) {
  std::u16string directory(destinationPath);
  platform::RemoveFileSpec(directory.data());
  directory.resize(UnitLength(directory.c_str()));
  if (!directory.empty() && directory.back() != platform::kSeparator) directory += platform::kSeparator;
  const std::u16string prefix = directory + u"~recodo" + Decimal(platform::ProcessId()) + u"-";
  for (int attempt = 0; attempt < 10000; ++attempt) {
    *path = prefix + Decimal(++*counter) + u".tmp";
    if (take(path->c_str())) {
      *error = 0;  // a name passed over is no failure
      return true;
    }
    if (!platform::IsNameTaken(*error)) return false;
  }
  return false;
}

}  // namespace

bool CreateTemporaryBeside(const char16_t* destinationPath, unsigned* counter, platform::WritableFile& file,
                           std::u16string* path, platform::ErrorCode* error) {
  return TryNames(destinationPath, counter, path, error,
                  [&](const char16_t* name) { return file.CreateNew(name, error); });
}

bool NameTemporaryBeside(const char16_t* destinationPath, unsigned* counter, platform::WritableFile& file,
                         std::u16string* path, platform::ErrorCode* error) {
  return TryNames(destinationPath, counter, path, error,
                  [&](const char16_t* name) { return file.Name(name, false, error); });
}

}  // namespace recodo
