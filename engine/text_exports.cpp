// The two functions that take every set of the catalogue but UTF-16 itself.
#include <algorithm>
#include <cstring>

#include "base/surrogates.h"
#include "engine/engine.h"
#include "recodo/recodo.h"

using namespace recodo;

namespace {

constexpr std::size_t kPiece = 4096;

// The state of one whole text's decoding, piece after piece.
struct Decoding {
  engine::TextDecoding multi;
  std::size_t utf8Substitutions = 0;
  bool lossy = false;

  bool Lossy() const { return lossy || utf8Substitutions != 0 || multi.substitutions != 0; }
};

// Decodes a piece into `units` (one a byte at most); returns the units
// written and sets *taken to the bytes it took.
std::size_t DecodePiece(CharsetCode set, const std::uint8_t* src, std::size_t length, bool last, std::uint16_t* units,
                        std::size_t* taken, Decoding& d) {
  *taken = length;
  if (IsAnySingleByteCharset(set)) {
    d.lossy |= engine::DecodeSingleByte(set, {src, length}, units);
    return length;
  }
  if (set == CharsetUtf8) {
    // Afresh for each piece: the decoder writes at the units it counts.
    engine::Utf8Decoding utf8;
    engine::DecodeUtf8({src, length}, last, units, &utf8);
    *taken = utf8.consumed;
    d.utf8Substitutions += utf8.substitutions;
    // An overlong form decodes to the value it spells, a form no encoder
    // writes: the text was not well formed.
    if (utf8.substitutions == 0 && !engine::Utf8RecodesToItself({src, utf8.consumed}, {units, utf8.units}))
      d.lossy |= engine::CountOverlongUtf8({src, utf8.consumed}) != 0;
    return utf8.units;
  }
  if (set == CharsetUtf16BE) {
    const std::size_t count = length / 2;
    for (std::size_t i = 0; i < count; ++i) units[i] = std::uint16_t(src[2 * i] << 8 | src[2 * i + 1]);
    if (last && length % 2 != 0) d.lossy = true;  // an odd last byte forms no unit
    else *taken = count * 2;
    return count;
  }
  engine::DecodeMultiByte(set, {src, length}, last, units, &d.multi);
  *taken = d.multi.consumed;
  return d.multi.units;
}

// Decodes a whole text a piece at a time, handing the units on; returns
// whether anything was malformed, unmapped or undefined.
template <typename Take>
bool DecodeWhole(CharsetCode set, const std::uint8_t* src, std::size_t n, Take take) {
  std::uint16_t units[kPiece];
  Decoding d;
  std::size_t pos = 0;
  do {
    const std::size_t length = std::min(kPiece, n - pos);
    std::size_t taken = 0;
    const std::size_t count = DecodePiece(set, src + pos, length, pos + length == n, units, &taken, d);
    if (!take(units, count)) break;
    pos += taken;
  } while (pos < n);
  return d.Lossy();
}

// Encodes units into `bytes` (MaxBytesPerUnit a unit); returns the bytes
// written and counts what was lost.
std::size_t EncodePiece(CharsetCode set, const std::uint16_t* units, std::size_t length, std::uint8_t* bytes,
                        engine::TextEncoding& e) {
  if (IsAnySingleByteCharset(set)) {
    engine::EncodeSingleByte(set, {units, length}, bytes);
    // Here a '?' for U+FFFD or U+FFFF is a loss like any other, and so is
    // U+FFFF written as a byte the set leaves undefined.
    const engine::MarkedLosses marked =
        engine::CountMarkedLosses({units, length}, bytes, engine::UndefinedMark(set));
    e.losses += marked.lost + marked.standIns;
    return length;
  }
  if (set == CharsetUtf8) {
    for (std::size_t i = 0; i < length; ++i) {
      if (IsHighSurrogate(units[i]) && i + 1 < length && IsLowSurrogate(units[i + 1])) ++i;
      else if (IsSurrogate(units[i])) ++e.losses;
    }
    return engine::EncodeUtf8({units, length}, bytes);
  }
  if (set == CharsetUtf16BE) {
    for (std::size_t i = 0; i < length; ++i) {
      bytes[2 * i] = std::uint8_t(units[i] >> 8);
      bytes[2 * i + 1] = std::uint8_t(units[i]);
    }
    return 2 * length;
  }
  return engine::EncodeMultiByte(set, {units, length}, bytes, &e);
}

// Encodes a whole text a piece at a time, pairs never cut apart, handing
// the bytes on; returns whether a character was lost.
template <typename Take>
bool EncodeWhole(CharsetCode set, const std::uint16_t* src, std::size_t n, Take take) {
  std::uint8_t bytes[kPiece * 5 + engine::kMaxClosingBytes];
  engine::TextEncoding e;
  std::size_t pos = 0;
  do {
    std::size_t length = std::min(kPiece, n - pos);
    if (pos + length < n && IsHighSurrogate(src[pos + length - 1])) --length;
    std::size_t count = EncodePiece(set, src + pos, length, bytes, e);
    pos += length;
    if (pos == n) count += engine::FinishMultiByte(set, bytes + count, &e);
    if (!take(bytes, count)) break;
  } while (pos < n);
  return e.losses + e.standIns != 0;
}

// The capacity a conversion never passes: the size pass answers it without
// reading the text, as the single-byte functions do.
std::uint64_t DecodedBound(std::uint64_t bytes) { return bytes * 2; }
std::uint64_t EncodedBound(CharsetCode set, std::uint64_t units) {
  return units * engine::MaxBytesPerUnit(set) + (set == CharsetIso2022Jp ? engine::kMaxClosingBytes : 0);
}

bool TakesSet(CharsetCode set) { return IsCatalogueCharset(set) && set != CharsetUtf16; }

}  // namespace

extern "C" RECODO_API uint32_t ConvertMultiByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                            uint16_t* dst, uint32_t* dstLength) {
  if (dstLength == nullptr || !TakesSet(charset) || (src == nullptr && srcLength != 0)) return ConvInvalidData;
  const bool measuring = *dstLength == 0;
  if (!measuring && dst == nullptr) return ConvInvalidData;
  if (measuring && DecodedBound(srcLength) <= MaxOutputBytes) {
    *dstLength = static_cast<uint32_t>(DecodedBound(srcLength));
    return ConvOk;
  }
  if (measuring) {
    // Past the bound's 4 GiB only a count of the units can tell.
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
  if (*dstLength >= DecodedBound(srcLength)) {
    // Room for any result: straight into the caller's buffer, in one piece.
    Decoding d;
    std::size_t taken = 0;
    const std::size_t units = srcLength == 0 ? 0 : DecodePiece(charset, src, srcLength, true, dst, &taken, d);
    *dstLength = static_cast<uint32_t>(units * 2);
    return d.Lossy() ? ConvInvalidData : ConvOk;
  }
  // A unit is written only when it fits whole.
  const std::size_t room = *dstLength / 2;
  std::size_t written = 0;
  bool fits = true;
  const bool lossy = DecodeWhole(charset, src, srcLength, [&](const std::uint16_t* units, std::size_t count) {
    std::size_t now = std::min(count, room - written);
    fits = now == count;
    // Cut short, never between the halves of a pair.
    if (!fits && now != 0 && IsHighSurrogate(units[now - 1])) --now;
    std::memcpy(dst + written, units, now * 2);
    written += now;
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
  if (measuring && EncodedBound(charset, units) <= MaxOutputBytes) {
    *dstLength = static_cast<uint32_t>(EncodedBound(charset, units));
    return ConvOk;
  }
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
  if (*dstLength >= EncodedBound(charset, units)) {
    engine::TextEncoding e;
    std::size_t count = EncodePiece(charset, src, units, dst, e);
    count += engine::FinishMultiByte(charset, dst + count, &e);
    *dstLength = static_cast<uint32_t>(count);
    return e.losses + e.standIns != 0 ? ConvInvalidData : ConvOk;
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
  // An ISO-2022-JP text cut short would not end back in ASCII: none is
  // written.
  if (!fits && charset == CharsetIso2022Jp) written = 0;
  *dstLength = static_cast<uint32_t>(written);
  if (!fits) return ConvBufferTooSmall;
  return lossy ? ConvInvalidData : ConvOk;
}
