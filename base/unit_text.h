// NUL-terminated UTF-16 texts: their length, and copies into fixed buffers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

namespace recodo {

inline std::size_t UnitLength(const char16_t* text) { return std::char_traits<char16_t>::length(text); }

// Copies a text into a buffer; false (and the buffer left as it was) when it
// would not fit with its terminator.
template <std::size_t Capacity>
bool CopyPath(char16_t (&buffer)[Capacity], const char16_t* text) {
  std::size_t length = 0;
  while (text[length] != 0) {
    if (++length >= Capacity) return false;
  }
  std::copy(text, text + length + 1, buffer);
  return true;
}

}  // namespace recodo
