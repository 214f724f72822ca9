// Whole blocks of 16 characters that are ASCII or inside a set's linear run
// convert with a few vector operations instead of 16 table lookups.
#pragma once

#include <cstdint>

#include "simd.h"
#include "single_byte_tables.h"

namespace recodo::single_byte {

#if RECODO_HAVE_SSE2

// Decodes 16 bytes when each is ASCII or in the run; false leaves dst as it
// was.
inline bool DecodeRunBlock(const LinearRun& run, const std::uint8_t* src, std::uint16_t* dst) {
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i offset = _mm_sub_epi8(b, _mm_set1_epi8(static_cast<char>(run.firstByte)));
  const __m128i last = _mm_set1_epi8(static_cast<char>(run.length - 1));
  const __m128i inRun = _mm_cmpeq_epi8(_mm_min_epu8(offset, last), offset);
  const __m128i ascii = _mm_cmpgt_epi8(b, _mm_set1_epi8(-1));
  if (_mm_movemask_epi8(_mm_or_si128(inRun, ascii)) != 0xFFFF) return false;
  const __m128i delta = _mm_set1_epi16(static_cast<short>(run.firstUnit - run.firstByte));
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(b, zero), _mm_and_si128(_mm_unpacklo_epi8(inRun, inRun), delta));
  const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(b, zero), _mm_and_si128(_mm_unpackhi_epi8(inRun, inRun), delta));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), lo);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), hi);
  return true;
}

// Encodes 16 units when each is ASCII or in the run (for sets whose ASCII
// encodes to itself); false leaves dst as it was.
inline bool EncodeRunBlock(const LinearRun& run, const std::uint16_t* src, std::uint8_t* dst) {
  const __m128i first = _mm_set1_epi16(static_cast<short>(run.firstUnit));
  const __m128i last = _mm_set1_epi16(static_cast<short>(run.length - 1));
  const __m128i zero = _mm_setzero_si128();
  const __m128i delta = _mm_set1_epi16(static_cast<short>(run.firstUnit - run.firstByte));
  const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  __m128i bytes[2];
  for (int half = 0; half < 2; ++half) {
    const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8 * half));
    const __m128i inRun = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(u, first), last), zero);
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(u, notAscii), zero);
    if (_mm_movemask_epi8(_mm_or_si128(inRun, ascii)) != 0xFFFF) return false;
    bytes[half] = _mm_sub_epi16(u, _mm_and_si128(inRun, delta));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(bytes[0], bytes[1]));
  return true;
}

#else

inline bool DecodeRunBlock(const LinearRun&, const std::uint8_t*, std::uint16_t*) { return false; }
inline bool EncodeRunBlock(const LinearRun&, const std::uint16_t*, std::uint8_t*) { return false; }

#endif

}  // namespace recodo::single_byte
