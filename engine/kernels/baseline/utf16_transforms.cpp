// Byte swapping and the search for units with SSE2.
#include <emmintrin.h>

#include "engine/kernels/baseline/kernels.h"

namespace recodo::kernels::baseline {

void SwapBytes(std::uint16_t* buffer, std::size_t n) {
  std::size_t i = 0;
  for (; n - i >= 8; i += 8) {
    __m128i* at = reinterpret_cast<__m128i*>(buffer + i);
    const __m128i v = _mm_loadu_si128(at);
    _mm_storeu_si128(at, _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8)));
  }
  for (; i < n; ++i) buffer[i] = static_cast<std::uint16_t>((buffer[i] << 8) | (buffer[i] >> 8));
}

std::size_t UnitsBefore(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b) {
  const __m128i cr = _mm_set1_epi16(static_cast<short>(a)), lf = _mm_set1_epi16(static_cast<short>(b));
  std::size_t i = 0;
  for (; n - i >= 8; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf))));
    if (mask != 0) return i + static_cast<unsigned>(__builtin_ctz(mask)) / 2;
  }
  while (i < n && src[i] != a && src[i] != b) ++i;
  return i;
}

}  // namespace recodo::kernels::baseline
