// UTF-8 to UTF-16 with AVX-512: the measuring pass on blocks of 64 bytes
// classified in one register; the decoding in windows of 32 start
// positions, each lane's bytes gathered with byte permutes (VBMI), the
// units that the window gives compressed together (VBMI2) and stored under
// a mask, so nothing is written past them and the last bytes need no copy.
#include <immintrin.h>

#include "engine/kernels/avx512/kernels.h"
#include "engine/kernels/utf8_blocks.h"

namespace recodo::kernels::avx512 {
namespace {

void ClassifyBlock(const std::uint8_t* block, ByteClasses* c) {
  const __m512i v = _mm512_loadu_si512(block);
  c->nonAscii = _mm512_movepi8_mask(v);
  if (c->nonAscii == 0) {
    c->fromC0 = c->fromE0 = c->fromF0 = c->fromF8 = 0;
    return;
  }
  c->fromC0 = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xC0)));
  c->fromE0 = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xE0)));
  c->fromF0 = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xF0)));
  c->fromF8 = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xF8)));
}

// Byte k + shift of a window of 64 in 16-bit lane k, zero-extended, for
// the first 32 positions.
RECODO_AVX512_VBMI __m512i Lanes(__m512i bytes, int shift) {
  const __m512i even = _mm512_set_epi8(0, 31, 0, 30, 0, 29, 0, 28, 0, 27, 0, 26, 0, 25, 0, 24, 0, 23, 0, 22, 0, 21,
                                       0, 20, 0, 19, 0, 18, 0, 17, 0, 16, 0, 15, 0, 14, 0, 13, 0, 12, 0, 11, 0, 10,
                                       0, 9, 0, 8, 0, 7, 0, 6, 0, 5, 0, 4, 0, 3, 0, 2, 0, 1, 0, 0);
  return _mm512_maskz_permutexvar_epi8(0x5555555555555555ull, _mm512_add_epi8(even, _mm512_set1_epi8(static_cast<char>(shift))), bytes);
}

}  // namespace

std::size_t Utf8Measure(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r) {
  return MeasureBlocks(src, len, units, r, ClassifyBlock);
}

RECODO_AVX512_VBMI std::size_t Utf8Decode(const std::uint8_t* src, std::size_t len, std::uint16_t* dst,
                                          std::size_t* units, ConvResult* r) {
  const __m512i m3F = _mm512_set1_epi16(0x3F);
  std::size_t p = 0;
  std::size_t u = *units;
  bool multi = false;
  while (p < len) {
    const std::size_t left = len - p;
    // Past the text the window holds zeros: ASCII, so a character cut by
    // the end is refused as it would be anyway.
    const __mmask64 present = left >= 64 ? ~__mmask64(0) : _bzhi_u64(~std::uint64_t(0), static_cast<unsigned>(left));
    const __m512i all = _mm512_maskz_loadu_epi8(present, src + p);
    const __mmask64 nonAscii = _mm512_movepi8_mask(all);
    if (nonAscii == 0) {
      // ASCII: widened as it is.
      const unsigned count = left >= 64 ? 64 : static_cast<unsigned>(left);
      if (count == 64) {
        // Whole blocks unmasked: a masked store into memory not in the
        // cache is several times slower on some processors.
        _mm512_storeu_si512(dst + u, _mm512_cvtepu8_epi16(_mm512_castsi512_si256(all)));
        _mm512_storeu_si512(dst + u + 32, _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(all, 1)));
      } else {
        _mm512_mask_storeu_epi16(dst + u, static_cast<__mmask32>(present),
                                 _mm512_cvtepu8_epi16(_mm512_castsi512_si256(all)));
        if (count > 32)
          _mm512_mask_storeu_epi16(dst + u + 32, static_cast<__mmask32>(present >> 32),
                                   _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(all, 1)));
      }
      u += count;
      p += count;
      continue;
    }
    const __mmask64 fromC0 = _mm512_cmpge_epu8_mask(all, _mm512_set1_epi8(static_cast<char>(0xC0)));
    const __mmask64 fromE0 = _mm512_cmpge_epu8_mask(all, _mm512_set1_epi8(static_cast<char>(0xE0)));
    const __mmask64 fromF0 = _mm512_cmpge_epu8_mask(all, _mm512_set1_epi8(static_cast<char>(0xF0)));
    const __mmask64 fromF8 = _mm512_cmpge_epu8_mask(all, _mm512_set1_epi8(static_cast<char>(0xF8)));
    const __mmask64 cont = nonAscii & ~fromC0;
    const __mmask64 lead2 = fromC0 & ~fromE0, lead3 = fromE0 & ~fromF0;
    __mmask64 lead4 = fromF0 & ~fromF8;
    // Every continuation byte must be the one a lead before it asks for, and
    // no five- or six-byte form may take part: checked up to position 34,
    // where the last form that starts at 31 ends.
    const __mmask64 expected = ((lead2 | lead3 | lead4) << 1) | ((lead3 | lead4) << 2) | (lead4 << 3);
    constexpr __mmask64 kChecked = 0x7FFFFFFFFull;
    if (((expected ^ cont) & kChecked) != 0 || (fromF8 & kChecked) != 0) break;
    // A four-byte form gives its high surrogate in its lead's lane and its
    // low one in the lane of its first continuation byte; one that starts in
    // the last lane would have that lane outside the window, so it waits.
    __mmask32 lanes = ~__mmask32(0);
    std::size_t consumed;
    if ((lead4 >> 31) & 1) {
      lanes = 0x7FFFFFFF;
      consumed = 31;
    } else {
      const unsigned c32 = (cont >> 32) & 1, c33 = (cont >> 33) & 1, c34 = (cont >> 34) & 1;
      consumed = 32 + c32 + (c32 & c33) + (c32 & c33 & c34);
    }
    if (left < 32) {
      lanes &= static_cast<__mmask32>(present);
      consumed = left;
    }
    const __mmask32 is4 = static_cast<__mmask32>(lead4) & lanes;
    const __mmask32 is3 = static_cast<__mmask32>(lead3), is2 = static_cast<__mmask32>(lead2);
    const __mmask32 isLow = is4 << 1;
    const __mmask32 keep = (~static_cast<__mmask32>(cont) | isLow) & lanes;
    const __m512i b = Lanes(all, 0);
    const __m512i n = Lanes(all, 1);
    __m512i value = b;
    if (is2 != 0) {
      const __m512i u2 = _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b, _mm512_set1_epi16(0x1F)), 6),
                                         _mm512_and_si512(n, m3F));
      value = _mm512_mask_blend_epi16(is2, value, u2);
    }
    if ((is3 | is4) != 0) {
      const __m512i m = Lanes(all, 2);
      if (is3 != 0) {
        const __m512i u3 = _mm512_or_si512(
            _mm512_or_si512(_mm512_slli_epi16(b, 12), _mm512_slli_epi16(_mm512_and_si512(n, m3F), 6)),
            _mm512_and_si512(m, m3F));
        // Surrogates and U+FFFE/U+FFFF are refused: the scalar decoder says so.
        const __mmask32 surrogate = _mm512_mask_cmpeq_epi16_mask(
            is3, _mm512_and_si512(u3, _mm512_set1_epi16(static_cast<short>(0xF800))),
            _mm512_set1_epi16(static_cast<short>(0xD800)));
        const __mmask32 nonChar = _mm512_mask_cmpge_epu16_mask(is3, u3, _mm512_set1_epi16(static_cast<short>(0xFFFE)));
        if ((surrogate | nonChar) != 0) break;
        value = _mm512_mask_blend_epi16(is3, value, u3);
      }
      if (is4 != 0) {
        // Code point >> 10 from the lead and its next two bytes; only
        // U+10000..U+10FFFF are taken.
        const __m512i top = _mm512_or_si512(
            _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(b, _mm512_set1_epi16(7)), 8),
                            _mm512_slli_epi16(_mm512_and_si512(n, m3F), 2)),
            _mm512_and_si512(_mm512_srli_epi16(m, 4), _mm512_set1_epi16(3)));
        const __mmask32 outside = _mm512_mask_cmplt_epu16_mask(is4, top, _mm512_set1_epi16(0x40)) |
                                  _mm512_mask_cmpgt_epu16_mask(is4, top, _mm512_set1_epi16(0x43F));
        if (outside != 0) break;
        const __m512i high = _mm512_add_epi16(top, _mm512_set1_epi16(static_cast<short>(0xD7C0)));
        const __m512i low = _mm512_or_si512(
            _mm512_set1_epi16(static_cast<short>(0xDC00)),
            _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(n, _mm512_set1_epi16(0x0F)), 6), _mm512_and_si512(m, m3F)));
        value = _mm512_mask_blend_epi16(is4, value, high);
        value = _mm512_mask_blend_epi16(isLow, value, low);
      }
    }
    const unsigned count = _mm_popcnt_u32(keep);
    _mm512_mask_storeu_epi16(dst + u, _bzhi_u32(~0u, count), _mm512_maskz_compress_epi16(keep, value));
    u += count;
    multi |= ((is2 | is3 | is4) & lanes) != 0;
    p += consumed;
  }
  if (multi) *r |= ConvMultiByteSeen;
  *units = u;
  return p;
}

}  // namespace recodo::kernels::avx512
