// Vector decoding of UTF-8 in windows of 16 start positions holding ASCII and
// two- to four-byte forms only. A window that holds anything else (an error,
// a five- or six-byte form, a value the converting pass refuses) is left to
// the scalar decoder, which is the one that defines every result; these only
// take the well-formed cases faster.
#pragma once

#include <cstddef>
#include <cstdint>

#include "charset_codes.h"
#include "simd.h"

namespace recodo::utf8 {

// A window reads 32 bytes.
inline constexpr std::size_t kWindowBytes = 32;
// Decoding stores whole vectors, up to 8 units past a window's own output;
// with this much input left the rest of the text is sure to overwrite them
// (every 6 bytes give at least one unit).
inline constexpr std::size_t kDirectStoreMargin = 96;

#if RECODO_HAVE_SSE2

struct WindowMasks {
  std::uint32_t cont;   // continuation bytes
  std::uint32_t lead;   // leads of two- to four-byte forms, among the lanes taken
  std::uint32_t lead3;  // leads of three-byte forms
  std::uint32_t lead4;  // leads of four-byte forms, among the lanes taken
  unsigned keep;        // lanes that give a unit: starts, and the low half of a pair
  bool wellFormed;      // positions 0..15 start or continue such forms only
  std::size_t consumed; // bytes of the characters taken
};

inline std::uint32_t ByteMask(__m128i lo, __m128i hi, int andMask, int equals) {
  const __m128i a = _mm_set1_epi8(static_cast<char>(andMask));
  const __m128i e = _mm_set1_epi8(static_cast<char>(equals));
  const auto m0 = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(lo, a), e)));
  const auto m1 = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(hi, a), e)));
  return m0 | (m1 << 16);
}

inline WindowMasks ClassifyWindow(__m128i lo, __m128i hi) {
  WindowMasks w;
  w.cont = ByteMask(lo, hi, 0xC0, 0x80);
  const std::uint32_t lead2 = ByteMask(lo, hi, 0xE0, 0xC0);
  w.lead3 = ByteMask(lo, hi, 0xF0, 0xE0);
  // Bytes from 0xF0 are rare outside emoji; tell four-byte leads from the
  // longer forms only where they occur.
  const std::uint32_t fromF0 = ByteMask(lo, hi, 0xF0, 0xF0);
  std::uint32_t lead4 = fromF0 ? ByteMask(lo, hi, 0xF8, 0xF0) : 0;
  const std::uint32_t big = fromF0 & ~lead4;
  // Every continuation byte must be the one a lead before it asks for, and
  // no five- or six-byte form may take part (checked up to position 18,
  // where the last form that starts at 15 ends).
  const std::uint32_t expected =
      ((lead2 | w.lead3 | lead4) << 1) | ((w.lead3 | lead4) << 2) | (lead4 << 3);
  constexpr std::uint32_t kChecked = 0x7FFFF;
  w.wellFormed = ((expected ^ w.cont) & kChecked) == 0 && (big & kChecked) == 0;
  // A four-byte form gives its high surrogate in its lead's lane and its low
  // one in the lane of its first continuation byte; one that starts in the
  // last lane would have that lane outside the window, so it waits.
  unsigned lanes = 0xFFFF;
  if (lead4 & 0x8000) {
    lanes = 0x7FFF;
    w.consumed = 15;
  } else {
    const std::uint32_t c16 = (w.cont >> 16) & 1, c17 = (w.cont >> 17) & 1, c18 = (w.cont >> 18) & 1;
    w.consumed = 16 + c16 + (c16 & c17) + (c16 & c17 & c18);
  }
  lead4 &= lanes;
  w.lead4 = lead4;
  w.lead = (lead2 | w.lead3 | lead4) & lanes;
  w.keep = (~w.cont | (lead4 << 1)) & lanes;
  return w;
}

// The measuring pass: counts whole windows; returns the bytes taken.
inline std::size_t MeasureWindows(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r) {
  std::size_t p = 0;
  while (len - p >= kWindowBytes) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + p));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + p + 16));
    const WindowMasks w = ClassifyWindow(lo, hi);
    if (!w.wellFormed) break;
    *units += simd::CountBits8(w.keep) + simd::CountBits8(w.keep >> 8);
    if (w.lead != 0) *r |= ConvMultiByteSeen;
    p += w.consumed;
  }
  return p;
}

// The converting pass, while at least kDirectStoreMargin bytes are left;
// needs SSSE3 and is only called where it is present.
std::size_t DecodeWindows(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                          ConvResult* r);

bool HaveDecodeWindows();

// Encoding in windows of 8 units with surrogates only in pairs. Stores 16 bytes a window;
// callers keep it to where later output is sure to overwrite the spare ones.
// Returns the units taken; *p is the output position.
std::size_t EncodeWindows(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                          std::size_t* p);

#else

inline std::size_t MeasureWindows(const std::uint8_t*, std::size_t, std::size_t*, ConvResult*) { return 0; }
inline std::size_t DecodeWindows(const std::uint8_t*, std::size_t, std::uint16_t*, std::size_t*, ConvResult*) {
  return 0;
}
inline bool HaveDecodeWindows() { return false; }
inline std::size_t EncodeWindows(const std::uint16_t*, std::size_t, std::uint8_t*, std::size_t, std::size_t*) {
  return 0;
}

#endif

}  // namespace recodo::utf8
