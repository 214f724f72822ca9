// Byte swapping and the line-break search with AVX-512: 32 units a step,
// the last ones under a mask.
#include <immintrin.h>

#include "engine/kernels/avx512/kernels.h"

namespace recodo::kernels::avx512 {
namespace {

// The units of a block of 32 that the text has, from `left` on.
__mmask32 Real(std::size_t left) { return left >= 32 ? ~__mmask32(0) : _bzhi_u32(~0u, static_cast<unsigned>(left)); }

}  // namespace

void SwapBytes(std::uint16_t* buffer, std::size_t n) {
  // The same swap in each 128-bit lane.
  const __m512i swap = _mm512_broadcast_i32x4(_mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14));
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    void* at = buffer + i;
    _mm512_storeu_si512(at, _mm512_shuffle_epi8(_mm512_loadu_si512(at), swap));
  }
  if (i < n) {
    const __mmask32 real = Real(n - i);
    _mm512_mask_storeu_epi16(buffer + i, real, _mm512_shuffle_epi8(_mm512_maskz_loadu_epi16(real, buffer + i), swap));
  }
}

std::size_t BreakFree(const std::uint16_t* src, std::size_t n) {
  const __m512i cr = _mm512_set1_epi16(0x0D), lf = _mm512_set1_epi16(0x0A);
  for (std::size_t i = 0; i < n; i += 32) {
    const __mmask32 real = Real(n - i);
    const __m512i v = _mm512_maskz_loadu_epi16(real, src + i);
    const __mmask32 breaks = _mm512_mask_cmpeq_epi16_mask(real, v, cr) | _mm512_mask_cmpeq_epi16_mask(real, v, lf);
    if (breaks != 0) return i + _tzcnt_u32(breaks);
  }
  return n;
}

}  // namespace recodo::kernels::avx512
