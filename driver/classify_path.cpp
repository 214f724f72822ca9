#include "classify_path.h"

#include "platform/paths.h"

namespace recodo {

int ClassifyPath(const char16_t* path) {
  // The '?' of a long-path prefix is no wildcard.
  for (const char16_t* p = path + platform::SystemPrefixLength(path); *p != 0; ++p)
    if (*p == u'*' || *p == u'?') return kWildcardPath;
  return platform::IsDirectory(path) ? kExistingDirectory : kPlainPath;
}

}  // namespace recodo
