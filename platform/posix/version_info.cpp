#include "platform/version_info.h"

#include <string_view>

namespace recodo::platform {

// This side has no version records; the build's version stands for the
// program's own "FileVersion".
bool ReadVersionValue(const char16_t* modulePath, const char16_t* name, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return false;
  out[0] = 0;
  if (modulePath != nullptr || std::u16string_view(name) != u"FileVersion") return false;
  constexpr std::u16string_view kVersion = u"" RECODO_VERSION_TEXT;
  const std::size_t n = kVersion.size() < capacity ? kVersion.size() : capacity - 1;
  kVersion.copy(out, n);
  out[n] = 0;
  return true;
}

}  // namespace recodo::platform
