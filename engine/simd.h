// Small vector helpers for searches outside the kernels; a portable fallback
// keeps them building where SSE2 is missing, or left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if RECODO_VECTOR_KERNELS && (defined(__SSE2__) || defined(_M_X64))
#include <emmintrin.h>
#define RECODO_HAVE_SSE2 1
#endif

namespace recodo::simd {

// Number of leading bytes below 0x80, counted in whole blocks (16 bytes
// with SSE2, 8 in the portable code); the tail shorter than a block is left
// to the caller.
inline std::size_t AsciiBytePrefix(const std::uint8_t* src, std::size_t n) {
  std::size_t i = 0;
#if RECODO_HAVE_SSE2
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (_mm_movemask_epi8(v) != 0) break;
  }
#else
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, src + i, 8);
    if (w & 0x8080808080808080ull) break;
  }
#endif
  return i;
}

inline unsigned CountTrailingZeros(unsigned mask) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<unsigned>(__builtin_ctz(mask));
#else
  unsigned n = 0;
  while ((mask & 1u) == 0) mask >>= 1, ++n;
  return n;
#endif
}

// Units before the first that equals a or b, counted in blocks of 8 with
// SSE2 (the tail shorter than a block is left to the caller); the portable
// code counts none and leaves all of it to the caller.
inline std::size_t UnitPrefixWithout(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b) {
  std::size_t i = 0;
#if RECODO_HAVE_SSE2
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb))));
    if (mask != 0) return i + CountTrailingZeros(mask) / 2;
  }
#endif
  (void)a;
  (void)n;
  (void)b;
  (void)src;
  return i;
}

}  // namespace recodo::simd
