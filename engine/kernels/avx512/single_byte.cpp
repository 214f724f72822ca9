// The single-byte codecs with AVX-512. Decoding, with VBMI, for every set:
// the 128 upper entries of a set's table split into their low and high
// bytes, each half looked up for 64 bytes at once with one two-register byte
// permute. Encoding as with AVX2 (ASCII and a set's linear run a block at a
// time, a few other characters looked up one by one), 32 units a block and
// the last ones under a mask.
#include <immintrin.h>

#include "engine/kernels/avx512/kernels.h"

namespace recodo::kernels::avx512 {
namespace {

// Up to this many other characters in a block of 32, the block is stored as
// ASCII and those few are looked up afterwards.
constexpr int kSparse = 10;

}  // namespace

RECODO_AVX512_VBMI bool SingleDecode(const SingleByteSet& set, const std::uint8_t* src, std::size_t n,
                                     std::uint16_t* dst) {
  // The set's upper entries, 32 units a register; their low bytes and high
  // bytes, 64 entries a register. A few permutes a call, no table to keep.
  const std::uint16_t* upper = set.decode + 0x80;
  const __m512i e0 = _mm512_loadu_si512(upper), e1 = _mm512_loadu_si512(upper + 32);
  const __m512i e2 = _mm512_loadu_si512(upper + 64), e3 = _mm512_loadu_si512(upper + 96);
  const __m512i evens = _mm512_set_epi8(126, 124, 122, 120, 118, 116, 114, 112, 110, 108, 106, 104, 102, 100, 98, 96,
                                        94, 92, 90, 88, 86, 84, 82, 80, 78, 76, 74, 72, 70, 68, 66, 64, 62, 60, 58, 56,
                                        54, 52, 50, 48, 46, 44, 42, 40, 38, 36, 34, 32, 30, 28, 26, 24, 22, 20, 18, 16,
                                        14, 12, 10, 8, 6, 4, 2, 0);
  const __m512i odds = _mm512_add_epi8(evens, _mm512_set1_epi8(1));
  const __m512i low0 = _mm512_permutex2var_epi8(e0, evens, e1), low1 = _mm512_permutex2var_epi8(e2, evens, e3);
  const __m512i high0 = _mm512_permutex2var_epi8(e0, odds, e1), high1 = _mm512_permutex2var_epi8(e2, odds, e3);
  // The bytes of each block reordered so that interleaving the low and high
  // bytes lane by lane gives the units in order: 128-bit lane k holds bytes
  // 8k..8k+7, then 32+8k..32+8k+7.
  const __m512i order = _mm512_set_epi8(63, 62, 61, 60, 59, 58, 57, 56, 31, 30, 29, 28, 27, 26, 25, 24, 55, 54, 53, 52,
                                        51, 50, 49, 48, 23, 22, 21, 20, 19, 18, 17, 16, 47, 46, 45, 44, 43, 42, 41, 40,
                                        15, 14, 13, 12, 11, 10, 9, 8, 39, 38, 37, 36, 35, 34, 33, 32, 7, 6, 5, 4, 3, 2,
                                        1, 0);
  const __m512i ones = _mm512_set1_epi8(-1);
  __mmask64 undefined = 0;
  for (std::size_t i = 0; i < n; i += 64) {
    const std::size_t left = n - i;
    const __mmask64 present = left >= 64 ? ~__mmask64(0) : _bzhi_u64(~std::uint64_t(0), static_cast<unsigned>(left));
    const __m512i b = _mm512_maskz_loadu_epi8(present, src + i);
    const __mmask32 first = static_cast<__mmask32>(present), second = static_cast<__mmask32>(present >> 32);
    const __mmask64 above = _mm512_movepi8_mask(b);
    if (above == 0 && left >= 64) {
      // ASCII decodes to itself in every set.
      _mm512_storeu_si512(dst + i, _mm512_cvtepu8_epi16(_mm512_castsi512_si256(b)));
      _mm512_storeu_si512(dst + i + 32, _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(b, 1)));
      continue;
    }
    if (above == 0) {
      _mm512_mask_storeu_epi16(dst + i, first, _mm512_cvtepu8_epi16(_mm512_castsi512_si256(b)));
      if (second != 0)
        _mm512_mask_storeu_epi16(dst + i + 32, second, _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(b, 1)));
      continue;
    }
    const __m512i x = _mm512_permutexvar_epi8(order, b);
    const __mmask64 upperBytes = _mm512_movepi8_mask(x);
    const __m512i low = _mm512_mask_blend_epi8(upperBytes, x, _mm512_permutex2var_epi8(low0, x, low1));
    const __m512i high = _mm512_maskz_mov_epi8(upperBytes, _mm512_permutex2var_epi8(high0, x, high1));
    undefined |= _mm512_cmpeq_epi8_mask(_mm512_and_si512(low, high), ones);
    _mm512_mask_storeu_epi16(dst + i, first, _mm512_unpacklo_epi8(low, high));
    if (second != 0) _mm512_mask_storeu_epi16(dst + i + 32, second, _mm512_unpackhi_epi8(low, high));
  }
  return undefined != 0;
}

void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  const auto encode = [&](std::size_t at) { dst[at] = set.pages[set.pageOf[src[at] >> 8]][src[at] & 0xFF]; };
  if (!set.asciiIdentity) {
    for (std::size_t i = 0; i < n; ++i) encode(i);
    return;
  }
  const __m512i x80 = _mm512_set1_epi16(0x80);
  const __m512i first = _mm512_set1_epi16(static_cast<short>(set.runFirstUnit));
  const __m512i length = _mm512_set1_epi16(static_cast<short>(set.runLength));
  const __m512i delta = _mm512_set1_epi16(static_cast<short>(set.runFirstUnit - set.runFirstByte));
  for (std::size_t i = 0; i < n; i += 32) {
    const std::size_t left = n - i;
    const __mmask32 real = left >= 32 ? ~__mmask32(0) : _bzhi_u32(~0u, static_cast<unsigned>(left));
    const __m512i v = _mm512_maskz_loadu_epi16(real, src + i);
    __mmask32 upper = _mm512_cmpge_epu16_mask(v, x80);
    if (upper == 0) {
      if (left >= 32)  // whole blocks unmasked, as in the decoder
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm512_cvtepi16_epi8(v));
      else
        _mm256_mask_storeu_epi8(dst + i, real, _mm512_cvtepi16_epi8(v));
      continue;
    }
    if (set.runLength != 0) {
      const __mmask32 inRun = _mm512_mask_cmplt_epu16_mask(upper, _mm512_sub_epi16(v, first), length);
      if (inRun == upper) {
        _mm256_mask_storeu_epi8(dst + i, real, _mm512_cvtepi16_epi8(_mm512_mask_sub_epi16(v, inRun, v, delta)));
        continue;
      }
    }
    if (_mm_popcnt_u32(upper) <= kSparse) {
      // A few other units among ASCII: store all, then look up those.
      _mm256_mask_storeu_epi8(dst + i, real, _mm512_cvtepi16_epi8(v));
      for (; upper != 0; upper = _blsr_u32(upper)) encode(i + _tzcnt_u32(upper));
    } else {
      const std::size_t count = left >= 32 ? 32 : left;
      for (std::size_t k = 0; k < count; ++k) encode(i + k);
    }
  }
}

}  // namespace recodo::kernels::avx512
