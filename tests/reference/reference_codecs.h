// Plain, one-step-at-a-time codecs written from the rules alone, with no
// fast paths. The engine's optimised code must agree with them byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace reference {

struct Bytes {
  std::vector<std::uint8_t> data;
  std::uint32_t result = 0;
  std::uint32_t length = 0;  // what the function stores in its length argument
};

struct Units {
  std::vector<std::uint16_t> data;
  std::uint32_t result = 0;
  std::uint32_t length = 0;
  std::size_t substitutions = 0;  // UTF-8 decoding: U+FFFD written for malformed input
};

Units DecodeSingleByte(int charset, const std::vector<std::uint8_t>& src, std::uint32_t capacity);
Bytes EncodeSingleByte(int charset, const std::vector<std::uint16_t>& src, std::uint32_t capacity);
// measuring: a null destination.
Units DecodeUtf8(const std::vector<std::uint8_t>& src, bool measuring);
// capacity 0 is the size query.
Bytes EncodeUtf8(const std::vector<std::uint16_t>& src, std::uint32_t capacity);
Units TransformNewLines(int type, const std::vector<std::uint16_t>& src);
int Detect(const std::vector<std::uint8_t>& src);

}  // namespace reference
