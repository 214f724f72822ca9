// Byte swapping and the search for units with AVX2.
#include <immintrin.h>

#include "engine/kernels/avx2/kernels.h"

namespace recodo::kernels::avx2 {

void SwapBytes(std::uint16_t* buffer, std::size_t n) {
  const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1, 0, 3, 2, 5, 4, 7,
                                        6, 9, 8, 11, 10, 13, 12, 15, 14);
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    __m256i* at = reinterpret_cast<__m256i*>(buffer + i);
    _mm256_storeu_si256(at, _mm256_shuffle_epi8(_mm256_loadu_si256(at), swap));
  }
  // In place, so no overlapping last block: the rest in pairs of units
  // under a mask, and an odd last one by hand.
  const std::size_t pairs = (n - i) / 2;
  if (pairs != 0) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(pairs)), lanes);
    int* at = reinterpret_cast<int*>(buffer + i);
    _mm256_maskstore_epi32(at, mask, _mm256_shuffle_epi8(_mm256_maskload_epi32(at, mask), swap));
    i += 2 * pairs;
  }
  if (i < n) buffer[i] = static_cast<std::uint16_t>((buffer[i] << 8) | (buffer[i] >> 8));
}

std::size_t UnitsBefore(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b) {
  const __m256i cr = _mm256_set1_epi16(static_cast<short>(a)), lf = _mm256_set1_epi16(static_cast<short>(b));
  const auto breaks = [&](const std::uint16_t* at) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    return static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi16(v, cr), _mm256_cmpeq_epi16(v, lf))));
  };
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const unsigned mask = breaks(src + i);
    if (mask != 0) return i + _tzcnt_u32(mask) / 2;
  }
  if (i == n) return n;
  if (n >= 16) {
    // A last block that ends with the text; the units searched already
    // are masked out.
    const std::size_t back = 16 - (n - i);
    const unsigned mask = breaks(src + n - 16) >> (2 * back);
    return mask != 0 ? i + _tzcnt_u32(mask) / 2 : n;
  }
  while (i < n && src[i] != a && src[i] != b) ++i;
  return i;
}

}  // namespace recodo::kernels::avx2
