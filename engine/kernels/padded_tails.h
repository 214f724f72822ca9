// The last bytes or units of a text, which a vector window would read or
// write past, go through a padded copy: ASCII after them, so that a
// character cut by the end is refused as it would be anyway, and only what
// the text's own input gives is copied out. Internal linkage: each level
// compiles its own copy with its own instructions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Encoding with Windows(src, n, dst, capacity, p, lookahead), which encodes
// windows while `lookahead` units are left and the output has room, and
// returns the units taken. A window reads `window` units at most. What is
// left goes through the copy, a piece at a time, and is copied out when the
// capacity holds all of it: else the exact code goes on from there, and
// stops where the capacity does.
template <std::size_t kLookahead, std::size_t kWindow, typename Windows>
std::size_t EncodeWithPaddedTail(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                                 std::size_t* p, Windows windows) {
  std::size_t i = windows(src, n, dst, capacity, p, kLookahead);
  while (i < n) {
    std::size_t left = n - i < kLookahead ? n - i : kLookahead - 1;
    if (left < n - i && (src[i + left - 1] & 0xFC00) == 0xD800) --left;  // a pair stays whole
    std::uint16_t in[kLookahead + kWindow] = {};
    std::uint8_t out[4 * (kLookahead + kWindow)];
    std::memcpy(in, src + i, left * 2);
    std::size_t made = 0;
    const std::size_t took = windows(in, left + kWindow - 1, out, sizeof out, &made, kWindow);
    const std::size_t taken = took < left ? took : left;
    made -= took - taken;  // the padding gave a byte a unit
    if (made > capacity - *p) break;
    std::memcpy(dst + *p, out, made);
    *p += made;
    i += taken;
    if (taken < left) break;  // a window was refused
  }
  return i;
}

}  // namespace
}  // namespace recodo::kernels
