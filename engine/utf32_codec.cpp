#include "utf32_codec.h"

#include "base/surrogates.h"

namespace recodo::utf32 {
namespace {

constexpr std::uint16_t kReplacement = 0xFFFD;

}  // namespace

std::size_t Decode(bool bigEndian, const std::uint8_t* s, std::size_t n, bool last, std::uint16_t* out,
                   std::size_t* consumed, std::uint64_t* substitutions) {
  std::size_t i = 0, u = 0;
  std::uint64_t bad = 0;
  for (; n - i >= 4; i += 4) {
    const std::uint32_t v = bigEndian ? std::uint32_t(s[i]) << 24 | std::uint32_t(s[i + 1]) << 16 | s[i + 2] << 8 | s[i + 3]
                                      : std::uint32_t(s[i + 3]) << 24 | std::uint32_t(s[i + 2]) << 16 | s[i + 1] << 8 | s[i];
    if (v < 0x10000 && !IsSurrogate(v)) {
      out[u++] = std::uint16_t(v);
    } else if (v >= 0x10000 && v <= 0x10FFFF) {
      out[u++] = HighSurrogateOf(v);
      out[u++] = LowSurrogateOf(v);
    } else {
      out[u++] = kReplacement;
      ++bad;
    }
  }
  // A last one to three bytes form no character.
  if (i < n && last) {
    out[u++] = kReplacement;
    ++bad;
    i = n;
  }
  *consumed = i;
  *substitutions += bad;
  return u;
}

std::size_t Encode(bool bigEndian, const std::uint16_t* units, std::size_t n, std::uint8_t* out,
                   std::uint64_t* losses) {
  std::size_t o = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t v = units[i];
    if (IsHighSurrogate(v) && i + 1 < n && IsLowSurrogate(units[i + 1])) {
      v = 0x10000 + ((v - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (IsSurrogate(v)) {
      v = kReplacement;
      ++*losses;
    }
    if (bigEndian) {
      out[o] = 0;
      out[o + 1] = std::uint8_t(v >> 16);
      out[o + 2] = std::uint8_t(v >> 8);
      out[o + 3] = std::uint8_t(v);
    } else {
      out[o] = std::uint8_t(v);
      out[o + 1] = std::uint8_t(v >> 8);
      out[o + 2] = std::uint8_t(v >> 16);
      out[o + 3] = 0;
    }
    o += 4;
  }
  return o;
}

}  // namespace recodo::utf32
