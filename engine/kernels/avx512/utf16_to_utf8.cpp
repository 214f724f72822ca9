// UTF-16 to UTF-8 with AVX-512: the size query from lane masks, 32 units a
// step; the conversion 32 units a block, the bytes of each block compressed
// together (VBMI2) and stored under a mask, so that nothing is written past
// them and a block is taken only when all of its bytes fit.
#include <immintrin.h>

#include "engine/kernels/avx512/kernels.h"

namespace recodo::kernels::avx512 {
namespace {

__mmask32 Real(std::size_t left) { return left >= 32 ? ~__mmask32(0) : _bzhi_u32(~0u, static_cast<unsigned>(left)); }

__mmask32 Surrogates(__m512i v) {
  return _mm512_cmpeq_epi16_mask(_mm512_and_si512(v, _mm512_set1_epi16(static_cast<short>(0xF800))),
                                 _mm512_set1_epi16(static_cast<short>(0xD800)));
}

// Stores the bytes of `lanes` that `keep` marks, packed, and returns the
// position after them.
RECODO_AVX512_VBMI std::uint8_t* StorePacked(std::uint8_t* out, __m512i lanes, __mmask64 keep) {
  const unsigned count = static_cast<unsigned>(_mm_popcnt_u64(keep));
  _mm512_mask_storeu_epi8(out, _bzhi_u64(~std::uint64_t(0), count), _mm512_maskz_compress_epi8(keep, lanes));
  return out + count;
}

// Sixteen units as 32-bit lanes, one to three bytes each; a surrogate lane
// (half of a pair) gives the two bytes that come ready in `pair`.
RECODO_AVX512_VBMI std::uint8_t* EncodeSixteen(std::uint8_t* out, __m512i w, __m512i pair, __mmask16 real,
                                               __mmask16 surrogate) {
  const __m512i m3F = _mm512_set1_epi32(0x3F);
  const __mmask16 ge80 = _mm512_cmpgt_epu32_mask(w, _mm512_set1_epi32(0x7F));
  const __mmask16 ge800 = _mm512_cmpgt_epu32_mask(w, _mm512_set1_epi32(0x7FF)) & ~surrogate;
  const __m512i last = _mm512_or_si512(_mm512_set1_epi32(0x80), _mm512_and_si512(w, m3F));
  const __m512i middle = _mm512_or_si512(_mm512_set1_epi32(0x80), _mm512_and_si512(_mm512_srli_epi32(w, 6), m3F));
  const __m512i lead2 = _mm512_or_si512(_mm512_set1_epi32(0xC0), _mm512_srli_epi32(w, 6));
  const __m512i lead3 = _mm512_or_si512(_mm512_set1_epi32(0xE0), _mm512_srli_epi32(w, 12));
  const __m512i two = _mm512_or_si512(lead2, _mm512_slli_epi32(last, 8));
  const __m512i three = _mm512_or_si512(_mm512_or_si512(lead3, _mm512_slli_epi32(middle, 8)), _mm512_slli_epi32(last, 16));
  __m512i lanes = _mm512_mask_blend_epi32(ge80, w, two);
  lanes = _mm512_mask_blend_epi32(ge800, lanes, three);
  lanes = _mm512_mask_blend_epi32(surrogate, lanes, pair);
  // A marker byte in each byte of a lane that is kept.
  __m512i marker = _mm512_maskz_mov_epi32(real, _mm512_set1_epi32(0x01));
  marker = _mm512_mask_mov_epi32(marker, ge80 & real, _mm512_set1_epi32(0x0101));
  marker = _mm512_mask_mov_epi32(marker, ge800 & real, _mm512_set1_epi32(0x010101));
  return StorePacked(out, lanes, _mm512_test_epi8_mask(marker, marker));
}

// The two bytes each half of a surrogate pair gives, as a 16-bit lane: the
// high half the first two of the four-byte form, the low half the last two
// (which take two bits of the high half, in the lane before).
RECODO_AVX512_VBMI __m512i PairBytes(__m512i v, __mmask32 highs, __mmask32 lows) {
  const __m512i m3F = _mm512_set1_epi16(0x3F);
  const __m512i back = _mm512_set_epi16(30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11,
                                        10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0);
  const __m512i previous = _mm512_permutexvar_epi16(back, v);
  const __m512i top = _mm512_add_epi16(
      _mm512_srli_epi16(_mm512_sub_epi16(v, _mm512_set1_epi16(static_cast<short>(0xD800))), 2), _mm512_set1_epi16(0x10));
  const __m512i high =
      _mm512_or_si512(_mm512_or_si512(_mm512_set1_epi16(0xF0), _mm512_srli_epi16(top, 6)),
                      _mm512_slli_epi16(_mm512_or_si512(_mm512_set1_epi16(0x80), _mm512_and_si512(top, m3F)), 8));
  const __m512i third = _mm512_or_si512(
      _mm512_set1_epi16(0x80), _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(previous, _mm512_set1_epi16(3)), 4),
                                               _mm512_and_si512(_mm512_srli_epi16(v, 6), _mm512_set1_epi16(0x0F))));
  const __m512i low =
      _mm512_or_si512(third, _mm512_slli_epi16(_mm512_or_si512(_mm512_set1_epi16(0x80), _mm512_and_si512(v, m3F)), 8));
  return _mm512_mask_blend_epi16(lows, _mm512_maskz_mov_epi16(highs, high), low);
}

}  // namespace

std::uint64_t Utf8Size(const std::uint16_t* src, std::size_t n) {
  // Three bytes a unit, one less below U+0800, one less again below U+0080,
  // one more for a surrogate.
  std::uint64_t total = 3 * static_cast<std::uint64_t>(n);
  std::uint64_t less = 0, more = 0;
  const __m512i x80 = _mm512_set1_epi16(0x80), x800 = _mm512_set1_epi16(0x800);
  std::size_t i = 0;
  for (; n - i >= 64; i += 64) {
    const __m512i a = _mm512_loadu_si512(src + i);
    const __m512i b = _mm512_loadu_si512(src + i + 32);
    const auto both = [](__mmask32 lo, __mmask32 hi) { return std::uint64_t(lo) | std::uint64_t(hi) << 32; };
    less += _mm_popcnt_u64(both(_mm512_cmplt_epu16_mask(a, x80), _mm512_cmplt_epu16_mask(b, x80)));
    less += _mm_popcnt_u64(both(_mm512_cmplt_epu16_mask(a, x800), _mm512_cmplt_epu16_mask(b, x800)));
    more += _mm_popcnt_u64(both(Surrogates(a), Surrogates(b)));
  }
  for (; i < n; i += 32) {
    const __mmask32 real = Real(n - i);
    const __m512i v = _mm512_maskz_loadu_epi16(real, src + i);
    less += _mm_popcnt_u32(_mm512_mask_cmplt_epu16_mask(real, v, x80));
    less += _mm_popcnt_u32(_mm512_mask_cmplt_epu16_mask(real, v, x800));
    more += _mm_popcnt_u32(Surrogates(v));  // the masked-out lanes are zero
  }
  return total - less + more;
}

RECODO_AVX512_VBMI std::size_t Utf8Encode(const std::uint16_t* src, std::size_t n, std::uint8_t* dst,
                                          std::size_t capacity, std::size_t* p) {
  const __m512i x80 = _mm512_set1_epi16(0x80), x800 = _mm512_set1_epi16(0x800);
  std::uint8_t* out = dst + *p;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t left = n - i;
    const unsigned count = left >= 32 ? 32 : static_cast<unsigned>(left);
    const __mmask32 real = Real(left);
    const __m512i v = left >= 32 ? _mm512_loadu_si512(src + i) : _mm512_maskz_loadu_epi16(real, src + i);
    // As a count: a capacity of "no limit" has no end a pointer could hold.
    const std::size_t room = capacity - static_cast<std::size_t>(out - dst);
    const __mmask32 ge80 = _mm512_cmpge_epu16_mask(v, x80);
    if (ge80 == 0) {
      // ASCII: narrowed as it is.
      if (room < count) break;
      if (count == 32)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_cvtepi16_epi8(v));
      else
        _mm256_mask_storeu_epi8(out, real, _mm512_cvtepi16_epi8(v));
      out += count;
      i += count;
      continue;
    }
    const __mmask32 surrogate = Surrogates(v);
    const __mmask32 ge800 = _mm512_cmpge_epu16_mask(v, x800) & ~surrogate;
    bool pairAtEnd = false;
    __m512i pair = _mm512_setzero_si512();
    if (surrogate != 0) {
      const __mmask32 highs = _mm512_cmpeq_epi16_mask(
          _mm512_and_si512(v, _mm512_set1_epi16(static_cast<short>(0xFC00))), _mm512_set1_epi16(static_cast<short>(0xD800)));
      const __mmask32 lows = surrogate & ~highs;
      // Surrogates only in pairs; a pair that starts in the last lane of a
      // whole block ends just after it and is finished by hand.
      if (lows != static_cast<__mmask32>(highs << 1)) break;
      pairAtEnd = (highs >> 31) != 0;
      if (pairAtEnd && (left == 32 || (src[i + 32] & 0xFC00) != 0xDC00)) break;
      pair = PairBytes(v, highs, lows);
    }
    const std::size_t bytes = count + _mm_popcnt_u32(ge80) + _mm_popcnt_u32(ge800) + (pairAtEnd ? 2 : 0);
    if (room < bytes) break;
    if (ge800 == 0 && surrogate == 0) {
      // One or two bytes a unit, in 16-bit lanes.
      const __m512i lead = _mm512_or_si512(_mm512_set1_epi16(0xC0), _mm512_srli_epi16(v, 6));
      const __m512i last = _mm512_or_si512(_mm512_set1_epi16(0x80), _mm512_and_si512(v, _mm512_set1_epi16(0x3F)));
      const __m512i lanes = _mm512_mask_blend_epi16(ge80, v, _mm512_or_si512(lead, _mm512_slli_epi16(last, 8)));
      __m512i marker = _mm512_maskz_mov_epi16(real, _mm512_set1_epi16(0x01));
      marker = _mm512_mask_mov_epi16(marker, ge80, _mm512_set1_epi16(0x0101));
      out = StorePacked(out, lanes, _mm512_test_epi8_mask(marker, marker));
    } else {
      for (int half = 0; half < 2; ++half) {
        const __mmask16 realHalf = static_cast<__mmask16>(real >> (16 * half));
        if (realHalf == 0) break;
        const auto wide = [half](__m512i x) {
          return _mm512_cvtepu16_epi32(half ? _mm512_extracti64x4_epi64(x, 1) : _mm512_castsi512_si256(x));
        };
        out = EncodeSixteen(out, wide(v), wide(pair), realHalf, static_cast<__mmask16>(surrogate >> (16 * half)));
      }
    }
    i += count;
    if (pairAtEnd) {
      const std::uint16_t high = src[i - 1], low = src[i];
      out[0] = static_cast<std::uint8_t>(0x80 | ((high & 3) << 4) | ((low >> 6) & 0x0F));
      out[1] = static_cast<std::uint8_t>(0x80 | (low & 0x3F));
      out += 2;
      i += 1;
    }
  }
  *p = static_cast<std::size_t>(out - dst);
  return i;
}

}  // namespace recodo::kernels::avx512
