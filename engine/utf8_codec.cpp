// The UTF-8 converters, and their exports.
#include <array>
#include <limits>

#include "engine/engine.h"
#include "kernels/dispatch.h"
#include "recodo/recodo.h"
#include "surrogates.h"
#include "utf8_decoder.h"

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

std::size_t engine::Utf8Units(std::span<const std::uint8_t> bytes) {
  utf8::DecodeProgress progress;
  utf8::Decode<false>(bytes.data(), bytes.size(), true, nullptr, progress);
  return progress.units;
}

void engine::DecodeUtf8(std::span<const std::uint8_t> bytes, bool last, std::uint16_t* units,
                        Utf8Decoding* progress) {
  utf8::DecodeProgress at{0, progress->units, progress->result, progress->substitutions};
  utf8::Decode<true>(bytes.data(), bytes.size(), last, units, at);
  *progress = {at.consumed, at.units, at.result, at.substitutions};
}

extern "C" RECODO_API uint32_t ConvertUtf8ToDoubleByte(const uint8_t* src, uint32_t srcLength, uint16_t* dst,
                                                       uint32_t* dstLength) {
  if (dstLength == nullptr || (src == nullptr && srcLength != 0)) return ConvInvalidData;
  return DecodeUtf8(src, srcLength, dst, dstLength, MaxOutputBytes);
}

namespace {

// Units taken one at a time after a kernel stopped: more than its window.
constexpr std::size_t kByHand = 16;

// Bytes the character at src[i] takes, how many units it spans, and the room
// it asks for first: every surrogate asks for 4, also one written as U+FFFD.
inline std::size_t CharacterBytes(const uint16_t* src, std::size_t n, std::size_t i, std::size_t* units,
                                  std::size_t* room) {
  const std::uint16_t w = src[i];
  *units = 1;
  if (w < 0x80) return *room = 1;
  if (w < 0x800) return *room = 2;
  if (!IsSurrogate(w)) return *room = 3;
  *room = 4;
  if (IsHighSurrogate(w) && i + 1 < n && IsLowSurrogate(src[i + 1])) {
    *units = 2;
    return 4;
  }
  return 3;  // an unpaired surrogate is written as U+FFFD
}

// Writes the character at src[i], which takes `bytes` bytes, at out.
inline void WriteCharacter(const uint16_t* src, std::size_t i, std::size_t bytes, uint8_t* out) {
  const std::uint16_t w = src[i];
  switch (bytes) {
    case 1:
      out[0] = static_cast<std::uint8_t>(w);
      break;
    case 2:
      out[0] = static_cast<std::uint8_t>(0xC0 | (w >> 6));
      out[1] = static_cast<std::uint8_t>(0x80 | (w & 0x3F));
      break;
    case 3: {
      const std::uint16_t v = IsSurrogate(w) ? ReplacementCharacter : w;
      out[0] = static_cast<std::uint8_t>(0xE0 | (v >> 12));
      out[1] = static_cast<std::uint8_t>(0x80 | ((v >> 6) & 0x3F));
      out[2] = static_cast<std::uint8_t>(0x80 | (v & 0x3F));
      break;
    }
    default: {
      std::uint32_t cp;
      CombineSurrogatePair(w, src[i + 1], &cp);
      out[0] = static_cast<std::uint8_t>(0xF0 | (cp >> 18));
      out[1] = static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F));
      out[2] = static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F));
      out[3] = static_cast<std::uint8_t>(0x80 | (cp & 0x3F));
      break;
    }
  }
}

// Encodes the n units into dst while the capacity leaves room, each
// character whole or not at all; *written says how far it got.
ConvResult Encode(const uint16_t* src, std::size_t n, uint8_t* dst, std::size_t capacity, std::size_t* written) {
  const kernels::Table& k = kernels::Active();
  std::size_t p = 0;
  std::size_t i = 0;
  while (i < n) {
    // The kernel takes what it can; then characters one at a time, each
    // whole or not at all, to past where it stopped. A text too short for
    // the kernel goes by hand at once.
    if (n >= k.utf8EncodeFrom) i += k.utf8Encode(src + i, n - i, dst, capacity, &p);
    const std::size_t end = n - i > kByHand ? i + kByHand : n;
    while (i < end) {
      std::size_t units, room;
      const std::size_t bytes = CharacterBytes(src, n, i, &units, &room);
      if (p + room > capacity) {
        *written = p;
        return ConvBufferTooSmall;
      }
      WriteCharacter(src, i, bytes, dst + p);
      p += bytes;
      i += units;
    }
  }
  *written = p;
  return ConvOk;
}

}  // namespace

namespace {

// The lead bytes of refused forms, by kind, and the second bytes that make
// each kind refused: one bit a kind.
constexpr std::uint8_t kOverlongTwo = 1, kOverlongThree = 2, kSurrogate = 4, kOverlongFour = 8, kPastMax = 16,
                       kAlwaysPastMax = 32;

constexpr std::array<std::uint8_t, 256> kRefusedLead = [] {
  std::array<std::uint8_t, 256> kinds{};
  kinds[0xC0] = kinds[0xC1] = kOverlongTwo;
  kinds[0xE0] = kOverlongThree;
  kinds[0xED] = kSurrogate;
  kinds[0xF0] = kOverlongFour;
  kinds[0xF4] = kPastMax;
  for (int b = 0xF5; b < 0xF8; ++b) kinds[b] = kAlwaysPastMax;
  return kinds;
}();

constexpr std::array<std::uint8_t, 256> kRefusedSecond = [] {
  std::array<std::uint8_t, 256> kinds{};
  for (int b = 0x80; b < 0xC0; ++b) {
    kinds[b] = kOverlongTwo | kAlwaysPastMax;
    if (b < 0xA0) kinds[b] |= kOverlongThree;
    if (b >= 0xA0) kinds[b] |= kSurrogate;
    if (b < 0x90) kinds[b] |= kOverlongFour;
    if (b >= 0x90) kinds[b] |= kPastMax;
  }
  return kinds;
}();

}  // namespace

std::size_t engine::CountOverlongUtf8(std::span<const std::uint8_t> bytes) {
  std::size_t count = 0;
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    i += AsciiPrefix(bytes.subspan(i));
    for (; i + 1 < n && bytes[i] >= 0x80; ++i) {
      const std::uint8_t kind = kRefusedLead[bytes[i]] & kRefusedSecond[bytes[i + 1]];
      if (kind == kOverlongTwo) ++count;
      if (kind == kOverlongThree && i + 2 < n && (bytes[i + 2] & 0xC0) == 0x80) ++count;
    }
    if (i + 1 >= n) break;
  }
  return count;
}

bool engine::Utf8RecodesToItself(std::span<const std::uint8_t> bytes, std::span<const std::uint16_t> units) {
  return !AnySurrogate(units) && Utf8Bytes(units) == bytes.size();
}

bool engine::HasRefusedUtf8Form(std::uint8_t previous, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return false;
  std::uint8_t found = kRefusedLead[previous] & kRefusedSecond[bytes[0]];
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n && found == 0;) {
    i += AsciiPrefix(bytes.subspan(i));
    for (; i + 1 < n && bytes[i] >= 0x80; ++i) {
      found |= kRefusedLead[bytes[i]] & kRefusedSecond[bytes[i + 1]];
    }
    if (i + 1 >= n) break;
  }
  return found != 0;
}

std::uint64_t engine::Utf8Bytes(std::span<const std::uint16_t> units) {
  return kernels::Active().utf8Size(units.data(), units.size());
}

std::size_t engine::EncodeUtf8(std::span<const std::uint16_t> units, std::uint8_t* bytes) {
  // Never a byte past the whole text's: its room is known to be there.
  std::size_t written = 0;
  Encode(units.data(), units.size(), bytes, std::numeric_limits<std::size_t>::max(), &written);
  return written;
}

extern "C" RECODO_API uint32_t ConvertDoubleByteToUtf8(const uint16_t* src, uint32_t srcLength, uint8_t* dst,
                                                       uint32_t* dstLength) {
  if (dstLength == nullptr || (src == nullptr && srcLength > 1)) return ConvInvalidData;
  const std::size_t n = srcLength / 2;
  // Without a destination there is nothing to write into: a size query.
  if (*dstLength == 0 || dst == nullptr) {
    // A size past 4 GiB is answered with the largest one; the conversion
    // then stops at the capacity and says so.
    const std::uint64_t size = engine::Utf8Bytes({src, n});
    *dstLength = static_cast<uint32_t>(size > MaxOutputBytes ? MaxOutputBytes : size);
    return ConvOk;
  }
  std::size_t written = 0;
  const ConvResult result = Encode(src, n, dst, *dstLength, &written);
  *dstLength = static_cast<uint32_t>(written);
  return result;
}
