#include "destination_naming.h"

#include <string>

#include "ascii_case.h"
#include "platform/paths.h"

namespace recodo {

bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* sourceDirectory,
                     const char16_t* destinationDirectory, char16_t (&destination)[kPathCapacity]) {
  if (settings.replaceSource) return CopyPath(destination, sourcePath);

  char16_t path[kPathCapacity];
  if (!CopyPath(path, destinationDirectory) ||
      !platform::AppendPath(path, kPathCapacity, platform::FindFileName(sourcePath)))
    return false;
  const char16_t* extension = platform::FindExtension(path);
  std::u16string name(path, static_cast<std::size_t>(extension - path));
  if (EqualIgnoringAsciiCase(sourceDirectory, destinationDirectory)) {
    name += u'.';
    name += settings.destCharsetName;
  }
  name += extension;
  return CopyPath(destination, name.c_str());
}

}  // namespace recodo
