#include "version_string.h"

#include "platform/version_info.h"

namespace recodo {

bool GetVersionString(const char16_t* modulePath, const char16_t* name, char16_t* buffer, std::size_t capacity) {
  return platform::ReadVersionValue(modulePath, name, buffer, capacity);
}

}  // namespace recodo
