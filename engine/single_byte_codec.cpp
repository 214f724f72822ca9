// Decoding and encoding between the single-byte sets and UTF-16.
#include <algorithm>

#include "recodo/recodo.h"
#include "simd.h"
#include "single_byte_tables.h"

using namespace recodo;

extern "C" RECODO_API uint32_t ConvertSingleByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                             uint16_t* dst, uint32_t* dstLength) {
  if (*dstLength == 0) {
    *dstLength = srcLength * 2;
    return ConvOk;
  }
  if (!IsSingleByteCharset(charset)) return ConvInvalidData;

  // A unit is written only when it fits whole.
  const std::size_t fits = *dstLength / 2;
  const std::size_t n = std::min<std::size_t>(srcLength, fits);
  const single_byte::DecodeTable& table = single_byte::kDecode[charset];

  std::uint16_t undefinedSeen = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t ascii = simd::AsciiBytePrefix(src + i, n - i);
    if (ascii != 0) {
      simd::WidenBytes(src + i, dst + i, ascii);
      i += ascii;
    }
    // A block (or the tail) that holds upper bytes goes through the table.
    const std::size_t end = std::min(n, i + 16);
    for (; i < end; ++i) {
      const std::uint16_t unit = table[src[i]];
      dst[i] = unit;
      undefinedSeen |= std::uint16_t(unit == UndefinedUnit);
    }
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

  std::size_t i = 0;
  while (i < n) {
    if (copyAscii) {
      const std::size_t ascii = simd::AsciiUnitPrefix(src + i, n - i);
      if (ascii != 0) {
        simd::NarrowUnits(src + i, dst + i, ascii);
        i += ascii;
      }
    }
    const std::size_t end = std::min(n, i + 16);
    for (; i < end; ++i) dst[i] = single_byte::EncodeUnit(charset, src[i]);
  }
  return n < units ? ConvBufferTooSmall : ConvOk;
}
