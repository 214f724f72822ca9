// The character classes and keyword comparison of the declaration scanner.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ascii_case.h"

namespace recodo::markup {

inline bool IsWhiteSpace(std::uint16_t c) { return c == 0x20 || c == 0x09 || c == 0x0D || c == 0x0A || c == 0x0B; }
inline bool IsQuote(std::uint16_t c) { return c == u'"' || c == u'\''; }
// Letters and digits of Unicode, and "_", whatever the process's locale.
bool IsNameCharacter(std::uint16_t c);

// A name matches only as the whole keyword, ASCII letters without case.
inline bool IsKeyword(const std::uint16_t* name, std::size_t length, const char16_t* keyword) {
  std::size_t i = 0;
  for (; i < length; ++i)
    if (keyword[i] == 0 || FoldAscii(name[i]) != keyword[i]) return false;
  return keyword[i] == 0;
}

}  // namespace recodo::markup
