// Decoding and encoding between the single-byte sets and UTF-16.
#include <algorithm>

#include "recodo/recodo.h"
#include "simd.h"
#include "single_byte_tables.h"
#include "single_byte_vector.h"

using namespace recodo;

namespace {

// Up to this many non-ASCII characters in a block of 16, the block is copied
// as ASCII and those few are looked up afterwards.
constexpr unsigned kSparse = 6;

}  // namespace

extern "C" RECODO_API uint32_t ConvertSingleByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                             uint16_t* dst, uint32_t* dstLength) {
  if (*dstLength == 0) {
    // Past 2 GiB of input the size is answered with the largest even one;
    // the conversion then stops at the capacity and says so.
    *dstLength = srcLength > 0x7FFFFFFFu ? 0xFFFFFFFEu : srcLength * 2;
    return ConvOk;
  }
  if (!IsSingleByteCharset(charset)) return ConvInvalidData;

  // A unit is written only when it fits whole.
  const std::size_t fits = *dstLength / 2;
  const std::size_t n = std::min<std::size_t>(srcLength, fits);
  const single_byte::DecodeTable& table = single_byte::kDecode[charset];
  const single_byte::LinearRun& run = single_byte::kLinearRuns[charset];

  // The text goes in chunks: looked up first, then searched for U+FFFF once
  // the stores have settled (reading them back at once would stall).
  constexpr std::size_t kChunk = 512;
  bool undefinedSeen = false;
  for (std::size_t start = 0; start < n; start += kChunk) {
    const std::size_t end = std::min(n, start + kChunk);
    std::size_t i = start;
    bool upperBytes = false;
    for (; end - i >= 16; i += 16) {
      unsigned upper = simd::NonAsciiMask16(src + i);
      if (upper == 0) {
        simd::WidenBytes(src + i, dst + i, 16);
        continue;
      }
      upperBytes = true;
      if (run.length != 0 && single_byte::DecodeRunBlock(run, src + i, dst + i)) continue;
      if (simd::CountBits8(upper) + simd::CountBits8(upper >> 8) <= kSparse) {
        // A few upper bytes among ASCII: widen all, then look up those.
        simd::WidenBytes(src + i, dst + i, 16);
        for (; upper != 0; upper &= upper - 1) {
          const unsigned k = simd::CountTrailingZeros(upper);
          dst[i + k] = table[src[i + k]];
        }
        continue;
      }
      for (std::size_t k = 0; k < 16; ++k) dst[i + k] = table[src[i + k]];
    }
    for (; i < end; ++i) {
      upperBytes |= src[i] >= 0x80;
      dst[i] = table[src[i]];
    }
    if (upperBytes && !undefinedSeen) undefinedSeen = simd::ContainsUnit(dst + start, end - start, UndefinedUnit);
  }
  if (n < srcLength) return ConvBufferTooSmall;
  return undefinedSeen ? ConvInvalidData : ConvOk;
}

extern "C" RECODO_API uint32_t ConvertDoubleByteToSingleByte(int32_t charset, const uint16_t* src, uint32_t srcLength,
                                                             uint8_t* dst, uint32_t* dstLength) {
  if (dst == nullptr) {
    *dstLength = srcLength / 2;
    return ConvOk;
  }
  if (!IsSingleByteCharset(charset)) return ConvInvalidData;

  const std::size_t units = srcLength / 2;
  const std::size_t n = std::min<std::size_t>(units, *dstLength);
  const bool copyAscii = single_byte::kAsciiIdentity[charset];
  const single_byte::LinearRun& run = single_byte::kLinearRuns[charset];

  const std::uint16_t* pageOf = single_byte::kReverse.pageOf[charset];
  const auto& pages = single_byte::kReverse.pages;
  const auto encode = [&](std::uint16_t unit) { return pages[pageOf[unit >> 8]][unit & 0xFF]; };
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    if (copyAscii) {
      unsigned upper = simd::NonAsciiMask8(src + i) | (simd::NonAsciiMask8(src + i + 8) << 8);
      if (upper == 0) {
        simd::NarrowUnits(src + i, dst + i, 16);
        continue;
      }
      if (run.length != 0 && single_byte::EncodeRunBlock(run, src + i, dst + i)) continue;
      if (simd::CountBits8(upper) + simd::CountBits8(upper >> 8) <= kSparse) {
        // A few other units among ASCII: copy all, then look up those.
        simd::NarrowUnits(src + i, dst + i, 16);
        for (; upper != 0; upper &= upper - 1) {
          const unsigned k = simd::CountTrailingZeros(upper);
          dst[i + k] = encode(src[i + k]);
        }
        continue;
      }
    }
    for (std::size_t k = 0; k < 16; ++k) dst[i + k] = encode(src[i + k]);
  }
  for (; i < n; ++i) dst[i] = encode(src[i]);
  return n < units ? ConvBufferTooSmall : ConvOk;
}
