// Calls the exported functions with vectors, the way the tests read best.
#pragma once

#include <cstdint>
#include <vector>

#include "recodo/recodo.h"

namespace call {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint16_t>;

constexpr std::uint32_t kOk = RECODO_CONV_OK;
constexpr std::uint32_t kInvalid = RECODO_CONV_INVALID_DATA;
constexpr std::uint32_t kTooSmall = RECODO_CONV_BUFFER_TOO_SMALL;
constexpr std::uint32_t kMulti = RECODO_CONV_MULTI_BYTE_SEEN;

struct UnitsOut {
  Units units;
  std::uint32_t result;
  std::uint32_t length;
};

struct BytesOut {
  Bytes bytes;
  std::uint32_t result;
  std::uint32_t length;
};

inline std::uint32_t Size(const Bytes& b) { return static_cast<std::uint32_t>(b.size()); }
inline std::uint32_t Size(const Units& u) { return static_cast<std::uint32_t>(u.size() * 2); }

// Output buffers are filled with a marker so that writes past the reported
// length show.
constexpr std::uint16_t kUnitMarker = 0xA5A5;
constexpr std::uint8_t kByteMarker = 0xA5;

inline UnitsOut DecodeSingle(int charset, const Bytes& src, std::uint32_t capacity) {
  Units buffer(capacity / 2 + 4, kUnitMarker);
  std::uint32_t length = capacity;
  const std::uint32_t r = ConvertSingleByteToDoubleByte(charset, src.data(), Size(src), buffer.data(), &length);
  std::size_t written = 0;
  while (written < buffer.size() && buffer[written] != kUnitMarker) ++written;
  buffer.resize(written);
  return {buffer, r, length};
}

inline UnitsOut DecodeSingle(int charset, const Bytes& src) {
  return DecodeSingle(charset, src, Size(src) * 2);
}

inline BytesOut EncodeSingle(int charset, const Units& src, std::uint32_t capacity) {
  Bytes buffer(capacity + 4, kByteMarker);
  std::uint32_t length = capacity;
  const std::uint32_t r = ConvertDoubleByteToSingleByte(charset, src.data(), Size(src), buffer.data(), &length);
  return {buffer, r, length};
}

inline BytesOut EncodeSingle(int charset, const Units& src) {
  BytesOut out = EncodeSingle(charset, src, Size(src) / 2);
  out.bytes.resize(src.size());
  return out;
}

inline UnitsOut DecodeUtf8(const Bytes& src, bool measuring = false) {
  std::uint32_t length = 0xDEADBEEF;
  if (measuring) {
    const std::uint32_t r = ConvertUtf8ToDoubleByte(src.data(), Size(src), nullptr, &length);
    return {{}, r, length};
  }
  Units buffer(src.size() + 8, kUnitMarker);
  const std::uint32_t r = ConvertUtf8ToDoubleByte(src.data(), Size(src), buffer.data(), &length);
  buffer.resize(length / 2);
  return {buffer, r, length};
}

// capacity 0 asks for the size.
inline BytesOut EncodeUtf8(const Units& src, std::uint32_t capacity) {
  Bytes buffer(capacity + 8, kByteMarker);
  std::uint32_t length = capacity;
  const std::uint32_t r = ConvertDoubleByteToUtf8(src.data(), Size(src), capacity ? buffer.data() : nullptr, &length);
  return {buffer, r, length};
}

inline BytesOut EncodeUtf8(const Units& src) {
  std::uint32_t size = 0;
  ConvertDoubleByteToUtf8(src.data(), Size(src), nullptr, &size);
  BytesOut out = EncodeUtf8(src, size == 0 ? 1 : size);
  out.bytes.resize(out.length);
  return out;
}

inline UnitsOut NewLines(int type, const Units& src) {
  std::uint32_t size = 0;
  TransformNewLineCharacter(type, src.data(), Size(src), nullptr, &size);
  Units buffer(size / 2 + 4, kUnitMarker);
  std::uint32_t length = 0;
  const std::uint32_t r =
      static_cast<std::uint32_t>(TransformNewLineCharacter(type, src.data(), Size(src), buffer.data(), &length));
  buffer.resize(length / 2);
  return {buffer, r, length};
}

inline int Detect(const Bytes& src) { return DetectCharacterSet(src.data(), Size(src)); }

}  // namespace call
