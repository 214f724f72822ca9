// Searches over text with AVX2: 32 bytes or 16 units a step.
#include <immintrin.h>

#include "engine/kernels/avx2/kernels.h"

namespace recodo::kernels::avx2 {

std::size_t AsciiPrefix(const std::uint8_t* src, std::size_t n) {
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    const unsigned high =
        static_cast<unsigned>(_mm256_movemask_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i))));
    if (high != 0) return i + _tzcnt_u32(high);
  }
  while (i < n && src[i] < 0x80) ++i;
  return i;
}

bool AnySurrogate(const std::uint16_t* src, std::size_t n) {
  const __m256i top5 = _mm256_set1_epi16(static_cast<short>(0xF800));
  const __m256i surrogate = _mm256_set1_epi16(static_cast<short>(0xD800));
  __m256i found = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    found = _mm256_or_si256(found, _mm256_cmpeq_epi16(_mm256_and_si256(v, top5), surrogate));
  }
  bool any = !_mm256_testz_si256(found, found);
  for (; i < n; ++i) any |= (src[i] & 0xF800) == 0xD800;
  return any;
}

std::size_t AsciiWiden(const std::uint8_t* src, std::size_t n, std::uint16_t* dst) {
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    if (_mm256_movemask_epi8(v) != 0) break;
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(v)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 16), _mm256_cvtepu8_epi16(_mm256_extracti128_si256(v, 1)));
  }
  for (; i < n && src[i] < 0x80; ++i) dst[i] = src[i];
  return i;
}

std::size_t AsciiNarrow(const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  const __m256i high = _mm256_set1_epi16(static_cast<short>(0xFF80));
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 16));
    if (!_mm256_testz_si256(_mm256_or_si256(a, b), high)) break;
    // packus works within 128-bit lanes: put the halves back in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), packed);
  }
  for (; i < n && src[i] < 0x80; ++i) dst[i] = static_cast<std::uint8_t>(src[i]);
  return i;
}

}  // namespace recodo::kernels::avx2
