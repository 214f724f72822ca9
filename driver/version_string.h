// A string value of a module's version record.
#pragma once

#include <cstddef>

namespace recodo {

// Reads the named value of the module's version record (null: the running
// program) into the buffer, cut to the capacity; the buffer is empty and the
// result false when the value is missing.
bool GetVersionString(const char16_t* modulePath, const char16_t* name, char16_t* buffer, std::size_t capacity);

}  // namespace recodo
