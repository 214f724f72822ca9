// The last bytes or units of a text, which a vector window would read or
// write past, go through a padded copy: ASCII after them, so that a
// character cut by the end is refused as it would be anyway, and only what
// the text's own input gives is copied out. Internal linkage: each level
// compiles its own copy with its own instructions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/charset_codes.h"

namespace recodo::kernels {
namespace {

// Output stores run up to 8 units past a window's own; with this much input
// left, what follows is sure to write over them (a unit every 6 bytes at least).
constexpr std::size_t kDecodeMargin = 96;

// Decoding with Windows(src, limit, dst, units, r), which decodes windows
// while they start before `limit` and returns the bytes taken.
template <typename Windows>
std::size_t DecodeWithPaddedTail(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                                 ConvResult* r, Windows windows) {
  const std::size_t p = len > kDecodeMargin ? windows(src, len - kDecodeMargin + 1, dst, units, r) : 0;
  if (p + kDecodeMargin <= len) return p;  // a window was refused
  const std::size_t left = len - p;
  std::uint8_t in[kDecodeMargin + 32];
  std::uint16_t out[kDecodeMargin + 32];
  std::memcpy(in, src + p, left);
  std::memset(in + left, 0, sizeof in - left);
  std::size_t made = 0;
  const std::size_t took = windows(in, left, out, &made, r);
  const std::size_t taken = took < left ? took : left;
  made -= took - taken;  // the padding gave a unit a byte
  std::memcpy(dst + *units, out, made * 2);
  *units += made;
  return p + taken;
}

// Copies len bytes, at most 64, with a few fixed-size moves that overlap
// rather than a call or a loop: the last bytes of a window staged apart.
inline void CopyExactly(std::uint8_t* to, const std::uint8_t* from, std::size_t len) {
  const auto two = [&](auto size) {
    std::memcpy(to, from, size);
    std::memcpy(to + len - size, from + len - size, size);
  };
  if (len >= 32) {
    two(std::integral_constant<std::size_t, 32>());
  } else if (len >= 16) {
    two(std::integral_constant<std::size_t, 16>());
  } else if (len >= 8) {
    two(std::integral_constant<std::size_t, 8>());
  } else if (len >= 4) {
    two(std::integral_constant<std::size_t, 4>());
  } else if (len >= 2) {
    two(std::integral_constant<std::size_t, 2>());
  } else if (len == 1) {
    to[0] = from[0];
  }
}

}  // namespace
}  // namespace recodo::kernels
