// Byte swapping and line-break rewriting of UTF-16 text.
#include <cstring>

#include "engine/engine.h"
#include "kernels/dispatch.h"
#include "recodo/recodo.h"
#include "transforms.h"

void recodo::engine::SwapBytes(std::span<std::uint16_t> units) {
  recodo::kernels::Active().swapBytes(units.data(), units.size());
}

extern "C" RECODO_API int32_t TransformEndianess(uint16_t* buffer, uint32_t length) {
  if (buffer == nullptr && length > 1) return 0;
  recodo::engine::SwapBytes({buffer, length / 2});
  return 1;
}

namespace {

constexpr uint16_t kCR = 0x000D;
constexpr uint16_t kLF = 0x000A;

std::size_t RewriteBreaks(const uint16_t* src, std::size_t n, uint16_t* dst, const uint16_t* breakUnits,
                          std::size_t breakLength) {
  const auto unitsBefore = recodo::kernels::Active().unitsBefore;
  std::size_t o = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t plain = unitsBefore(src + i, n - i, kCR, kLF);
    if (dst != nullptr) std::memcpy(dst + o, src + i, plain * 2);
    o += plain;
    i += plain;
    if (i == n) break;
    // A CR takes the LF right after it into the same break.
    if (src[i] == kCR && i + 1 < n && src[i + 1] == kLF) ++i;
    ++i;
    if (dst != nullptr)
      for (std::size_t k = 0; k < breakLength; ++k) dst[o + k] = breakUnits[k];
    o += breakLength;
  }
  return o;
}

}  // namespace

namespace {

// The units of a line break of the type; none removes them.
std::size_t BreakOf(std::int32_t type, uint16_t (&breakUnits)[2]) {
  breakUnits[0] = kCR;
  breakUnits[1] = kLF;
  switch (type) {
    case RECODO_NEWLINE_DOS: return 2;
    case RECODO_NEWLINE_UNIX: breakUnits[0] = kLF; return 1;
    case RECODO_NEWLINE_MAC: return 1;
    default: return 0;  // line breaks are removed
  }
}

}  // namespace

std::size_t recodo::engine::LineBreakUnits(std::int32_t type, std::span<const std::uint16_t> units) {
  uint16_t breakUnits[2];
  const std::size_t breakLength = BreakOf(type, breakUnits);
  return RewriteBreaks(units.data(), units.size(), nullptr, breakUnits, breakLength);
}

std::size_t recodo::engine::RewriteLineBreaks(std::int32_t type, std::span<const std::uint16_t> units,
                                              std::uint16_t* out) {
  uint16_t breakUnits[2];
  const std::size_t breakLength = BreakOf(type, breakUnits);
  return RewriteBreaks(units.data(), units.size(), out, breakUnits, breakLength);
}

std::int32_t recodo::RewriteLineBreaks(std::int32_t type, const std::uint16_t* src, std::uint32_t srcLength,
                                       std::uint16_t* dst, std::uint32_t* dstLength, std::uint64_t maxOutputBytes) {
  const std::size_t n = srcLength / 2;
  uint16_t breakUnits[2];
  const std::size_t breakLength = BreakOf(type, breakUnits);

  // Only CR LF can make the text longer, up to twice, and so past what the
  // length can say. Then nothing is written, the length is 0, and the result
  // says why: a wrapped size would have the caller overrun its buffer.
  if (breakLength == 2 && std::uint64_t(n) * 4 > maxOutputBytes) {
    const std::size_t needed = RewriteBreaks(src, n, nullptr, breakUnits, breakLength);
    if (std::uint64_t(needed) * 2 > maxOutputBytes) {
      *dstLength = 0;
      return static_cast<std::int32_t>(ConvBufferTooSmall);
    }
  }
  const std::size_t o = RewriteBreaks(src, n, dst, breakUnits, breakLength);
  *dstLength = static_cast<uint32_t>(o * 2);
  return 0;
}

extern "C" RECODO_API int32_t TransformNewLineCharacter(int32_t type, const uint16_t* src, uint32_t srcLength,
                                                        uint16_t* dst, uint32_t* dstLength) {
  if (dstLength == nullptr || (src == nullptr && srcLength > 1))
    return static_cast<int32_t>(recodo::ConvInvalidData);
  return recodo::RewriteLineBreaks(type, src, srcLength, dst, dstLength, recodo::MaxOutputBytes);
}
