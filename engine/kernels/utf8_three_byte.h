// Eight three-byte UTF-8 forms back to back, the bulk of Chinese, Japanese
// and Korean text: 24 bytes decoded at once by byte shuffles, where a window
// of 16 start positions would take five or six of them. SSSE3; internal
// linkage, so each level compiles its own copy with its own instructions.
#pragma once

#include <tmmintrin.h>

#include <cstdint>

namespace recodo::kernels {
namespace {

// Bit i for byte i of 24: the leads of eight three-byte forms in a row.
constexpr std::uint32_t kEightThreeByteLeads = 0x249249;

// Whether 24 bytes are eight three-byte forms in a row, from the masks of
// their classes (bit i for byte i): from 0x80, 0xC0, 0xE0 and 0xF0 up.
inline bool EightThreeByteForms(std::uint32_t nonAscii, std::uint32_t fromC0, std::uint32_t fromE0,
                                std::uint32_t fromF0) {
  constexpr std::uint32_t k24 = 0xFFFFFF;
  return (nonAscii & k24) == k24 && (fromC0 & k24) == kEightThreeByteLeads &&
         (fromE0 & k24) == kEightThreeByteLeads && (fromF0 & k24) == 0;
}

// For each unit lane, its lead byte in the high half and the next byte in
// the low one, or its last byte: the first five forms from the 16 bytes at
// the start, the last three from the 16 bytes at offset 8.
struct ThreeByteShuffles {
  std::uint8_t leadFirst[16], leadSecond[16], lastFirst[16], lastSecond[16];
};

constexpr ThreeByteShuffles BuildThreeByteShuffles() {
  ThreeByteShuffles s{};
  for (int k = 0; k < 8; ++k) {
    const bool first = k < 5;
    const int at = first ? 3 * k : 3 * k - 8;
    std::uint8_t* lead = first ? s.leadFirst : s.leadSecond;
    std::uint8_t* last = first ? s.lastFirst : s.lastSecond;
    std::uint8_t* leadOther = first ? s.leadSecond : s.leadFirst;
    std::uint8_t* lastOther = first ? s.lastSecond : s.lastFirst;
    lead[2 * k] = static_cast<std::uint8_t>(at + 1);
    lead[2 * k + 1] = static_cast<std::uint8_t>(at);
    last[2 * k] = static_cast<std::uint8_t>(at + 2);
    last[2 * k + 1] = 0x80;
    leadOther[2 * k] = leadOther[2 * k + 1] = lastOther[2 * k] = lastOther[2 * k + 1] = 0x80;
  }
  return s;
}

inline constexpr ThreeByteShuffles kThreeByteShuffles = BuildThreeByteShuffles();

// Decodes the eight forms at src (24 bytes; 24 readable) into dst. False,
// storing nothing, when one is a surrogate or U+FFFE/U+FFFF, which the
// decoder refuses.
__attribute__((target("ssse3"))) inline bool DecodeEightThreeByteForms(const std::uint8_t* src,
                                                                       std::uint16_t* dst) {
  const auto load = [](const void* at) { return _mm_loadu_si128(static_cast<const __m128i*>(at)); };
  const __m128i first = load(src), second = load(src + 8);
  const __m128i lead = _mm_or_si128(_mm_shuffle_epi8(first, load(kThreeByteShuffles.leadFirst)),
                                    _mm_shuffle_epi8(second, load(kThreeByteShuffles.leadSecond)));
  const __m128i last = _mm_or_si128(_mm_shuffle_epi8(first, load(kThreeByteShuffles.lastFirst)),
                                    _mm_shuffle_epi8(second, load(kThreeByteShuffles.lastSecond)));
  const __m128i units =
      _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x0F00)), 4),
                                _mm_slli_epi16(_mm_and_si128(lead, _mm_set1_epi16(0x3F)), 6)),
                   _mm_and_si128(last, _mm_set1_epi16(0x3F)));
  const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(static_cast<short>(0xF800))),
                                            _mm_set1_epi16(static_cast<short>(0xD800)));
  const __m128i nonCharacter =
      _mm_cmpeq_epi16(_mm_or_si128(units, _mm_set1_epi16(1)), _mm_set1_epi16(static_cast<short>(0xFFFF)));
  if (_mm_movemask_epi8(_mm_or_si128(surrogate, nonCharacter)) != 0) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), units);
  return true;
}

}  // namespace
}  // namespace recodo::kernels
