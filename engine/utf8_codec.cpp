// The exported UTF-8 converters.
#include "recodo/recodo.h"
#include "simd.h"
#include "surrogates.h"
#include "utf8_decoder.h"
#include "utf8_windows.h"

using namespace recodo;

ConvResult recodo::DecodeUtf8(const uint8_t* src, uint32_t srcLength, uint16_t* dst, uint32_t* dstLength,
                              std::uint64_t maxOutputBytes) {
  utf8::DecodeProgress progress;
  // Past 2 GiB of input the output may need more than a 32-bit length can
  // say; then neither pass reports a size a buffer could be made from, and
  // the converting pass, which has no capacity, writes nothing at all.
  const bool mayOverflow = std::uint64_t(srcLength) * 2 > maxOutputBytes;
  if (dst == nullptr || mayOverflow) {
    utf8::Decode<false>(src, srcLength, true, nullptr, progress);
    if (progress.units * 2 > maxOutputBytes) {
      *dstLength = 0;
      return ConvBufferTooSmall;
    }
  }
  if (dst != nullptr) {
    progress = {};
    utf8::Decode<true>(src, srcLength, true, dst, progress);
  }
  *dstLength = static_cast<uint32_t>(progress.units * 2);
  return progress.result;
}

extern "C" RECODO_API uint32_t ConvertUtf8ToDoubleByte(const uint8_t* src, uint32_t srcLength, uint16_t* dst,
                                                       uint32_t* dstLength) {
  return DecodeUtf8(src, srcLength, dst, dstLength, MaxOutputBytes);
}

namespace {

// Bytes the size query counts for one unit: a surrogate counts 4 on its own,
// which bounds both a pair (4 of 8 used) and a lone one (3, as U+FFFD).
inline std::uint32_t QueriedBytes(std::uint16_t w) {
  if (w < 0x80) return 1;
  if (w < 0x800) return 2;
  if (IsSurrogate(w)) return 4;
  return 3;
}

std::uint64_t QueryUtf8Size(const uint16_t* src, std::size_t n) {
  std::uint64_t size = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t ascii = simd::AsciiUnitPrefix(src + i, n - i);
    size += ascii;
    i += ascii;
    const std::size_t end = i + 16 < n ? i + 16 : n;
    for (; i < end; ++i) size += QueriedBytes(src[i]);
  }
  return size;
}

}  // namespace

extern "C" RECODO_API uint32_t ConvertDoubleByteToUtf8(const uint16_t* src, uint32_t srcLength, uint8_t* dst,
                                                       uint32_t* dstLength) {
  const std::size_t n = srcLength / 2;
  if (*dstLength == 0) {
    // A size past 4 GiB is answered with the largest one; the conversion
    // then stops at the capacity and says so.
    const std::uint64_t size = QueryUtf8Size(src, n);
    *dstLength = static_cast<uint32_t>(size > MaxOutputBytes ? MaxOutputBytes : size);
    return ConvOk;
  }
  const std::size_t capacity = *dstLength;
  std::size_t p = 0;
  std::size_t i = 0;
  ConvResult result = ConvOk;
  const bool windows = utf8::HaveDecodeWindows() && capacity >= 32;
  std::size_t nextWindow = 0;  // after a refused window, go on by hand a while
  while (i < n) {
    if (windows && i >= nextWindow && src[i] >= 0x80) {
      const std::size_t taken = utf8::EncodeWindows(src + i, n - i, dst, capacity, &p);
      i += taken;
      if (i >= n) break;
      nextWindow = i + 32;
    }
    const std::uint16_t w = src[i];
    if (w < 0x80 && i + 1 < n && src[i + 1] < 0x80) {
      std::size_t ascii = simd::AsciiUnitPrefix(src + i, n - i);
      if (ascii > capacity - p) ascii = capacity - p;
      if (ascii != 0) {
        simd::NarrowUnits(src + i, dst + p, ascii);
        i += ascii;
        p += ascii;
        continue;
      }
    }
    if (w < 0x80) {
      if (p + 1 > capacity) {
        result = ConvBufferTooSmall;
        break;
      }
      dst[p++] = static_cast<std::uint8_t>(w);
      ++i;
    } else if (w < 0x800) {
      if (p + 2 > capacity) {
        result = ConvBufferTooSmall;
        break;
      }
      dst[p] = static_cast<std::uint8_t>(0xC0 | (w >> 6));
      dst[p + 1] = static_cast<std::uint8_t>(0x80 | (w & 0x3F));
      p += 2;
      ++i;
    } else if (std::uint32_t cp; IsSurrogate(w) && i + 1 < n && CombineSurrogatePair(w, src[i + 1], &cp) == ConvOk) {
      if (p + 4 > capacity) {
        result = ConvBufferTooSmall;
        break;
      }
      dst[p] = static_cast<std::uint8_t>(0xF0 | (cp >> 18));
      dst[p + 1] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
      dst[p + 2] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
      dst[p + 3] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
      p += 4;
      i += 2;
    } else {
      // Three bytes; an unpaired surrogate is written as U+FFFD and the unit
      // after it is left for the next round.
      const std::uint16_t v = IsSurrogate(w) ? ReplacementCharacter : w;
      if (p + 3 > capacity) {
        result = ConvBufferTooSmall;
        break;
      }
      dst[p] = static_cast<std::uint8_t>(0xE0 | (v >> 12));
      dst[p + 1] = static_cast<std::uint8_t>(0x80 | ((v >> 6) & 0x3F));
      dst[p + 2] = static_cast<std::uint8_t>(0x80 | (v & 0x3F));
      p += 3;
      ++i;
    }
  }
  *dstLength = static_cast<uint32_t>(p);
  return result;
}
