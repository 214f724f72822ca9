// Joining and splitting UTF-16 surrogate pairs.
#pragma once

#include <cstdint>

#include "base/surrogates.h"
#include "charset_codes.h"

namespace recodo {

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
  *highOut = HighSurrogateOf(codePoint);
  *lowOut = LowSurrogateOf(codePoint);
  return ConvOk;
}

}  // namespace recodo
