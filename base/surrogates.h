// Which UTF-16 units are halves of a surrogate pair.
#pragma once

#include <cstdint>

namespace recodo {

inline constexpr bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline constexpr bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
inline constexpr bool IsSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// The two halves of a code point past U+FFFF.
inline constexpr std::uint16_t HighSurrogateOf(std::uint32_t codePoint) {
  return std::uint16_t(0xD800 + ((codePoint - 0x10000) >> 10));
}
inline constexpr std::uint16_t LowSurrogateOf(std::uint32_t codePoint) {
  return std::uint16_t(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
}

}  // namespace recodo
