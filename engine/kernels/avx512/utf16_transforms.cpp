// The line-break search with AVX-512 VL: lines are short, so it keeps
// AVX2's width and its compares into vectors (compares into mask registers
// have one port on some processors), and gains the last units of a text
// under a mask instead of one at a time. Byte swapping is bound by memory
// at AVX2's width already and stays AVX2's.
#include <immintrin.h>

#include "engine/kernels/avx512/kernels.h"

namespace recodo::kernels::avx512 {

std::size_t UnitsBefore(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b) {
  const __m256i cr = _mm256_set1_epi16(static_cast<short>(a)), lf = _mm256_set1_epi16(static_cast<short>(b));
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const unsigned breaks = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi16(v, cr), _mm256_cmpeq_epi16(v, lf))));
    if (breaks != 0) return i + _tzcnt_u32(breaks) / 2;
  }
  if (i == n) return n;
  const __mmask16 real = static_cast<__mmask16>(_bzhi_u32(~0u, static_cast<unsigned>(n - i)));
  const __m256i v = _mm256_maskz_loadu_epi16(real, src + i);
  const unsigned breaks = _mm256_mask_cmpeq_epi16_mask(real, v, cr) | _mm256_mask_cmpeq_epi16_mask(real, v, lf);
  return breaks != 0 ? i + _tzcnt_u32(breaks) : n;
}

}  // namespace recodo::kernels::avx512
