#include "temporary_file.h"

#include "base/text_format.h"
#include "base/unit_text.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace recodo {

bool CreateTemporaryBeside(const char16_t* destinationPath, unsigned* counter, platform::WritableFile& file,
                           std::u16string* path, platform::ErrorCode* error) {
  std::u16string directory(destinationPath);
  platform::RemoveFileSpec(directory.data());
  directory.resize(UnitLength(directory.c_str()));
  if (!directory.empty() && directory.back() != platform::kSeparator) directory += platform::kSeparator;
  const std::u16string prefix = directory + u"~recodo" + Decimal(platform::ProcessId()) + u"-";
  for (int attempt = 0; attempt < 10000; ++attempt) {
    *path = prefix + Decimal(++*counter) + u".tmp";
    if (file.CreateNew(path->c_str(), error)) return true;
    if (!platform::IsNameTaken(*error)) return false;
  }
  return false;
}

}  // namespace recodo
