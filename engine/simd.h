// Small vector helpers for ASCII runs; a portable fallback keeps the engine
// building where SSE2 is missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define RECODO_HAVE_SSE2 1
#endif

namespace recodo::simd {

// Number of leading bytes below 0x80, counted in blocks of 16 (the tail
// shorter than a block is left to the caller).
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

// Widens n ASCII bytes to UTF-16 units.
inline void WidenBytes(const std::uint8_t* src, std::uint16_t* dst, std::size_t n) {
  std::size_t i = 0;
#if RECODO_HAVE_SSE2
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), _mm_unpackhi_epi8(v, zero));
  }
#endif
  for (; i < n; ++i) dst[i] = src[i];
}

// Number of leading units below 0x80, counted in blocks of 16.
inline std::size_t AsciiUnitPrefix(const std::uint16_t* src, std::size_t n) {
  std::size_t i = 0;
#if RECODO_HAVE_SSE2
  const __m128i mask = _mm_set1_epi16(static_cast<short>(0xFF80));
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
    const __m128i high = _mm_and_si128(_mm_or_si128(a, b), mask);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF) break;
  }
#else
  for (; i + 4 <= n; i += 4) {
    std::uint64_t w;
    std::memcpy(&w, src + i, 8);
    if (w & 0xFF80FF80FF80FF80ull) break;
  }
#endif
  return i;
}

// Narrows n units known to be below 0x80 to bytes.
inline void NarrowUnits(const std::uint16_t* src, std::uint8_t* dst, std::size_t n) {
  std::size_t i = 0;
#if RECODO_HAVE_SSE2
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
  }
#endif
  for (; i < n; ++i) dst[i] = static_cast<std::uint8_t>(src[i]);
}

// True when one of the n units at src equals `unit`.
inline bool ContainsUnit(const std::uint16_t* src, std::size_t n, std::uint16_t unit) {
  std::size_t i = 0;
#if RECODO_HAVE_SSE2
  const __m128i u = _mm_set1_epi16(static_cast<short>(unit));
  __m128i found = _mm_setzero_si128();
  for (; i + 8 <= n; i += 8)
    found = _mm_or_si128(found, _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), u));
  if (_mm_movemask_epi8(found) != 0) return true;
#endif
  for (; i < n; ++i)
    if (src[i] == unit) return true;
  return false;
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

// Units before the first that equals a or b, counted in blocks of 8 (the
// tail shorter than a block is left to the caller).
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
  (void)b;
  (void)src;
  return i;
}

// Bit i set when byte i of the 16 at src is 0x80 or above.
inline unsigned NonAsciiMask16(const std::uint8_t* src) {
#if RECODO_HAVE_SSE2
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))));
#else
  unsigned mask = 0;
  for (int i = 0; i < 16; ++i) mask |= unsigned(src[i] >> 7) << i;
  return mask;
#endif
}

// Bit i set when unit i of the 8 at src is 0x80 or above.
inline unsigned NonAsciiMask8(const std::uint16_t* src) {
#if RECODO_HAVE_SSE2
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))),
                                        _mm_setzero_si128());
  // Narrow the 16-bit lanes to bytes: one mask bit per unit.
  return (static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii, _mm_setzero_si128()))) ^ 0xFFu) & 0xFFu;
#else
  unsigned mask = 0;
  for (int i = 0; i < 8; ++i) mask |= unsigned(src[i] >= 0x80) << i;
  return mask;
#endif
}

// Set bits of a byte, from a table: the baseline instruction set has no
// population count instruction and the library call costs more than this.
inline unsigned CountBits8(unsigned byte) {
  static constexpr auto kBits = [] {
    struct Table {
      std::uint8_t n[256];
    } t{};
    for (int i = 0; i < 256; ++i) t.n[i] = static_cast<std::uint8_t>((i & 1) + (i >> 1 & 1) + (i >> 2 & 1) +
                                                                   (i >> 3 & 1) + (i >> 4 & 1) + (i >> 5 & 1) +
                                                                   (i >> 6 & 1) + (i >> 7 & 1));
    return t;
  }();
  return kBits.n[byte & 0xFF];
}

}  // namespace recodo::simd
