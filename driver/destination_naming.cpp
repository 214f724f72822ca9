#include "destination_naming.h"

#include <string>

#include "base/ascii_case.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace recodo {

bool SameDirectory(const char16_t* a, const char16_t* b) {
  if (EqualIgnoringAsciiCase(a, b)) return true;
  // Otherwise a result meant to go beside its source under a new name would
  // take the source's own name and overwrite it.
  platform::FileIdentity first, second;
  return platform::IdentityOf(a, &first) && platform::IdentityOf(b, &second) && first == second;
}

std::u16string AutomaticName(const char16_t* fileName, const char16_t* setName) {
  const char16_t* extension = platform::FindExtension(fileName);
  std::u16string name(fileName, static_cast<std::size_t>(extension - fileName));
  name += u'.';
  name += setName;
  return name + extension;
}

bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* destinationDirectory,
                     bool beside, char16_t (&destination)[kPathCapacity]) {
  if (settings.replaceSource) return CopyPath(destination, sourcePath);

  const char16_t* fileName = platform::FindFileName(sourcePath);
  const std::u16string name = beside ? AutomaticName(fileName, settings.destCharsetName) : std::u16string(fileName);
  char16_t path[kPathCapacity];
  return CopyPath(path, destinationDirectory) && platform::AppendPath(path, kPathCapacity, name.c_str()) &&
         CopyPath(destination, path);
}

}  // namespace recodo
