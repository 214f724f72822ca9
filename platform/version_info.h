// The program's own version record.
#pragma once

#include <cstddef>

namespace recodo::platform {

// Copies the named string value of the module's version record (null: the
// running program) into `out`, cut to the capacity; false when missing.
bool ReadVersionValue(const char16_t* modulePath, const char16_t* name, char16_t* out, std::size_t capacity);

}  // namespace recodo::platform
