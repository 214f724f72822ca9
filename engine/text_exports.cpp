// The two functions that take every set of the catalogue but UTF-16 itself.
#include <algorithm>
#include <cstring>

#include "base/surrogates.h"
#include "engine/engine.h"
#include "recodo/recodo.h"

using namespace recodo;

namespace {

constexpr std::size_t kPiece = 4096;
constexpr std::uint16_t kQuestionMark = '?';

// Decodes a whole text a piece at a time, handing the units on; returns
// whether anything was malformed, unmapped or undefined.
template <typename Take>
bool DecodeWhole(CharsetCode set, const std::uint8_t* src, std::size_t n, Take take) {
  std::uint16_t units[kPiece];
  engine::TextDecoding multi;
  engine::Utf8Decoding utf8;
  bool lossy = false;
  std::size_t pos = 0;
  do {
    const std::size_t length = std::min(kPiece, n - pos);
    const bool last = pos + length == n;
    std::size_t taken = length, count = 0;
    if (IsAnySingleByteCharset(set)) {
      lossy |= engine::DecodeSingleByte(set, {src + pos, length}, units);
      count = length;
    } else if (set == CharsetUtf8) {
      const std::size_t before = utf8.units;
      engine::DecodeUtf8({src + pos, length}, last, units, &utf8);
      taken = utf8.consumed;
      count = utf8.units - before;
    } else if (set == CharsetUtf16BE) {
      taken = length & ~std::size_t(1);
      count = taken / 2;
      for (std::size_t i = 0; i < count; ++i) units[i] = std::uint16_t(src[pos + 2 * i] << 8 | src[pos + 2 * i + 1]);
      if (last && taken != length) {
        lossy = true;  // an odd last byte forms no unit
        taken = length;
      }
    } else {
      engine::DecodeMultiByte(set, {src + pos, length}, last, units, &multi);
      taken = multi.consumed;
      count = multi.units;
    }
    if (!take(units, count)) break;
    pos += taken;
  } while (pos < n);
  return lossy || utf8.substitutions != 0 || multi.substitutions != 0;
}

// Encodes a whole text a piece at a time, pairs never cut apart, handing
// the bytes on; returns whether a character was lost.
template <typename Take>
bool EncodeWhole(CharsetCode set, const std::uint16_t* src, std::size_t n, Take take) {
  std::uint8_t bytes[kPiece * 5 + engine::kMaxClosingBytes];
  engine::TextEncoding multi;
  std::size_t pos = 0;
  do {
    std::size_t length = std::min(kPiece, n - pos);
    if (pos + length < n && IsHighSurrogate(src[pos + length - 1])) --length;
    const std::uint16_t* units = src + pos;
    std::size_t count = 0;
    if (IsAnySingleByteCharset(set)) {
      engine::EncodeSingleByte(set, {units, length}, bytes);
      count = length;
      for (std::size_t i = 0; i < length; ++i) {
        const std::uint16_t unit = units[i];
        if (bytes[i] != '?' || unit == kQuestionMark || unit == 0xFFFD || unit == 0xFFFF) continue;
        ++multi.losses;
        if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(units[i + 1])) ++i;
      }
    } else if (set == CharsetUtf8) {
      count = engine::EncodeUtf8({units, length}, bytes);
      for (std::size_t i = 0; i < length; ++i) {
        if (IsHighSurrogate(units[i]) && i + 1 < length && IsLowSurrogate(units[i + 1])) ++i;
        else if (IsSurrogate(units[i])) ++multi.losses;
      }
    } else if (set == CharsetUtf16BE) {
      for (std::size_t i = 0; i < length; ++i) {
        bytes[2 * i] = std::uint8_t(units[i] >> 8);
        bytes[2 * i + 1] = std::uint8_t(units[i]);
      }
      count = 2 * length;
    } else {
      count = engine::EncodeMultiByte(set, {units, length}, bytes, &multi);
    }
    pos += length;
    if (pos == n) count += engine::FinishMultiByte(set, bytes + count, &multi);
    if (!take(bytes, count)) break;
  } while (pos < n);
  return multi.losses != 0;
}

bool TakesSet(CharsetCode set) { return IsCatalogueCharset(set) && set != CharsetUtf16; }

}  // namespace

extern "C" RECODO_API uint32_t ConvertMultiByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                            uint16_t* dst, uint32_t* dstLength) {
  if (dstLength == nullptr || !TakesSet(charset) || (src == nullptr && srcLength != 0)) return ConvInvalidData;
  const bool measuring = *dstLength == 0;
  if (!measuring && dst == nullptr) return ConvInvalidData;
  if (measuring) {
    std::uint64_t units = 0;
    const bool lossy = DecodeWhole(charset, src, srcLength, [&](const std::uint16_t*, std::size_t count) {
      units += count;
      return true;
    });
    if (units * 2 > MaxOutputBytes) {
      *dstLength = 0;
      return ConvBufferTooSmall;
    }
    *dstLength = static_cast<uint32_t>(units * 2);
    return lossy ? ConvInvalidData : ConvOk;
  }
  // A unit is written only when it fits whole.
  const std::size_t room = *dstLength / 2;
  std::size_t written = 0;
  bool fits = true;
  const bool lossy = DecodeWhole(charset, src, srcLength, [&](const std::uint16_t* units, std::size_t count) {
    const std::size_t now = std::min(count, room - written);
    std::memcpy(dst + written, units, now * 2);
    written += now;
    fits = now == count;
    return fits;
  });
  *dstLength = static_cast<uint32_t>(written * 2);
  if (!fits) return ConvBufferTooSmall;
  return lossy ? ConvInvalidData : ConvOk;
}

extern "C" RECODO_API uint32_t ConvertDoubleByteToMultiByte(int32_t charset, const uint16_t* src, uint32_t srcLength,
                                                            uint8_t* dst, uint32_t* dstLength) {
  if (dstLength == nullptr || !TakesSet(charset) || (src == nullptr && srcLength > 1)) return ConvInvalidData;
  const bool measuring = *dstLength == 0;
  if (!measuring && dst == nullptr) return ConvInvalidData;
  const std::size_t units = srcLength / 2;
  if (measuring) {
    std::uint64_t bytes = 0;
    const bool lossy = EncodeWhole(charset, src, units, [&](const std::uint8_t*, std::size_t count) {
      bytes += count;
      return true;
    });
    if (bytes > MaxOutputBytes) {
      *dstLength = 0;
      return ConvBufferTooSmall;
    }
    *dstLength = static_cast<uint32_t>(bytes);
    return lossy ? ConvInvalidData : ConvOk;
  }
  const std::size_t room = *dstLength;
  std::size_t written = 0;
  bool fits = true;
  const bool lossy = EncodeWhole(charset, src, units, [&](const std::uint8_t* bytes, std::size_t count) {
    fits = count <= room - written;
    if (!fits) return false;  // no character is written in part
    std::memcpy(dst + written, bytes, count);
    written += count;
    return true;
  });
  *dstLength = static_cast<uint32_t>(written);
  if (!fits) return ConvBufferTooSmall;
  return lossy ? ConvInvalidData : ConvOk;
}
