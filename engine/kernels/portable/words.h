// Eight bytes or four units at a time in a 64-bit word, for processors the
// vector levels do not cover.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace recodo::kernels::portable {

inline std::uint64_t Load64(const void* at) {
  std::uint64_t w;
  std::memcpy(&w, at, 8);
  return w;
}

// Leading bytes below 0x80, in steps of 8.
inline std::size_t AsciiBytes(const std::uint8_t* src, std::size_t n) {
  std::size_t i = 0;
  while (n - i >= 8 && (Load64(src + i) & 0x8080808080808080ull) == 0) i += 8;
  return i;
}

// Leading units below 0x80, in steps of 4.
inline std::size_t AsciiUnits(const std::uint16_t* src, std::size_t n) {
  std::size_t i = 0;
  while (n - i >= 4 && (Load64(src + i) & 0xFF80FF80FF80FF80ull) == 0) i += 4;
  return i;
}

}  // namespace recodo::kernels::portable
