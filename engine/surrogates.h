// Joining and splitting UTF-16 surrogate pairs.
#pragma once

#include <cstdint>

#include "charset_codes.h"

namespace recodo {

inline constexpr bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline constexpr bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
inline constexpr bool IsSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

inline ConvResult CombineSurrogatePair(std::uint16_t high, std::uint16_t low, std::uint32_t* codePointOut) {
  *codePointOut = 0;
  if (!IsHighSurrogate(high) || !IsLowSurrogate(low)) return ConvInvalidData;
  *codePointOut = ((std::uint32_t(high) - 0xD800) << 10) + (std::uint32_t(low) - 0xDC00) + 0x10000;
  return ConvOk;
}

inline ConvResult SplitIntoSurrogatePair(std::uint32_t codePoint, std::uint16_t* highOut, std::uint16_t* lowOut) {
  *highOut = 0xD800;
  *lowOut = 0xDC00;
  if (codePoint < 0x10000 || codePoint > 0x10FFFF) return ConvInvalidData;
  const std::uint32_t d = codePoint - 0x10000;
  *highOut = std::uint16_t(0xD800 + (d >> 10));
  *lowOut = std::uint16_t(0xDC00 + (d & 0x3FF));
  return ConvOk;
}

}  // namespace recodo
