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

bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* destinationDirectory,
                     bool beside, char16_t (&destination)[kPathCapacity]) {
  if (settings.replaceSource) return CopyPath(destination, sourcePath);

  char16_t path[kPathCapacity];
  if (!CopyPath(path, destinationDirectory) ||
      !platform::AppendPath(path, kPathCapacity, platform::FindFileName(sourcePath)))
    return false;
  const char16_t* extension = platform::FindExtension(path);
  std::u16string name(path, static_cast<std::size_t>(extension - path));
  if (beside) {
    name += u'.';
    name += settings.destCharsetName;
  }
  name += extension;
  return CopyPath(destination, name.c_str());
}

}  // namespace recodo
