// Searches over text with SSE2: 16 bytes or 8 units a step.
#include <emmintrin.h>

#include "engine/kernels/baseline/kernels.h"

namespace recodo::kernels::baseline {

std::size_t AsciiPrefix(const std::uint8_t* src, std::size_t n) {
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i))));
    if (high != 0) return i + static_cast<unsigned>(__builtin_ctz(high));
  }
  while (i < n && src[i] < 0x80) ++i;
  return i;
}

bool AnySurrogate(const std::uint16_t* src, std::size_t n) {
  const __m128i top5 = _mm_set1_epi16(static_cast<short>(0xF800)), surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  __m128i found = _mm_setzero_si128();
  std::size_t i = 0;
  for (; n - i >= 8; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    found = _mm_or_si128(found, _mm_cmpeq_epi16(_mm_and_si128(v, top5), surrogate));
  }
  bool any = _mm_movemask_epi8(found) != 0;
  for (; i < n; ++i) any |= (src[i] & 0xF800) == 0xD800;
  return any;
}

std::size_t AsciiWiden(const std::uint8_t* src, std::size_t n, std::uint16_t* dst) {
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (_mm_movemask_epi8(v) != 0) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), _mm_unpackhi_epi8(v, zero));
  }
  for (; i < n && src[i] < 0x80; ++i) dst[i] = src[i];
  return i;
}

std::size_t AsciiNarrow(const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
    const __m128i upper = _mm_and_si128(_mm_or_si128(a, b), high);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(upper, _mm_setzero_si128())) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
  }
  for (; i < n && src[i] < 0x80; ++i) dst[i] = static_cast<std::uint8_t>(src[i]);
  return i;
}

}  // namespace recodo::kernels::baseline
