// UTF-8 to UTF-16 with SSE2, and SSSE3 for decoding.
#include <emmintrin.h>
#include <tmmintrin.h>

#include <cstring>

#include "engine/kernels/baseline/kernels.h"
#include "engine/kernels/padded_tails.h"
#include "engine/kernels/shuffle_tables.h"
#include "engine/kernels/utf8_blocks.h"
#include "engine/kernels/utf8_three_byte.h"
#include "engine/kernels/utf8_windows.h"

namespace recodo::kernels::baseline {
namespace {

void ClassifyBlock(const std::uint8_t* block, ByteClasses* c) {
  std::uint64_t m[5] = {};
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
    // Signed bytes: a byte from 0xC0 is above -65, one from 0xE0 above -33,
    // and so on; the and keeps only the bytes from 0x80.
    const auto at = [&](int above) {
      return std::uint64_t(unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(above))), v))));
    };
    m[0] |= std::uint64_t(unsigned(_mm_movemask_epi8(v))) << (16 * k);
    m[1] |= at(-65) << (16 * k);
    m[2] |= at(-33) << (16 * k);
    m[3] |= at(-17) << (16 * k);
    m[4] |= at(-9) << (16 * k);
  }
  *c = {m[0], m[1], m[2], m[3], m[4]};
}

// Set bits of a byte: the baseline has no population count instruction.
unsigned CountBits8(unsigned byte) {
  byte = byte - ((byte >> 1) & 0x55);
  byte = (byte & 0x33) + ((byte >> 2) & 0x33);
  return (byte + (byte >> 4)) & 0x0F;
}

// Decoding in windows of 16 start positions holding ASCII and two- to
// four-byte forms only. A window that holds anything else (an error, a five-
// or six-byte form, a value the converting pass refuses) is left to the
// scalar decoder.
std::uint32_t ByteMask(__m128i lo, __m128i hi, int andMask, int equals) {
  const __m128i a = _mm_set1_epi8(static_cast<char>(andMask));
  const __m128i e = _mm_set1_epi8(static_cast<char>(equals));
  const auto m0 = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(lo, a), e)));
  const auto m1 = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(hi, a), e)));
  return m0 | (m1 << 16);
}

WindowMasks ClassifyWindow(__m128i lo, __m128i hi) {
  // Bytes from 0xF0 are rare outside emoji; tell four-byte leads from the
  // longer forms only where they occur.
  const std::uint32_t fromF0 = ByteMask(lo, hi, 0xF0, 0xF0);
  return kernels::ClassifyWindow(ByteMask(lo, hi, 0xC0, 0x80), ByteMask(lo, hi, 0xE0, 0xC0), ByteMask(lo, hi, 0xF0, 0xE0),
                                 fromF0, fromF0 ? ByteMask(lo, hi, 0xF8, 0xF0) : 0);
}

// Decodes windows while they start before `limit`; 32 bytes from any such
// start are readable, and the units stored past a window's own are written
// over by what follows.
__attribute__((target("ssse3"))) std::size_t DecodeWindows(const std::uint8_t* src, std::size_t limit,
                                                             std::uint16_t* dst, std::size_t* units,
                                                             ConvResult* r) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i m3F = _mm_set1_epi16(0x3F);
  std::size_t p = 0;
  std::size_t u = *units;
  while (p < limit) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + p));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + p + 16));
    if (_mm_movemask_epi8(_mm_or_si128(lo, hi)) == 0) {
      // ASCII: widened as it is, exactly 32 units.
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u), _mm_unpacklo_epi8(lo, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u + 8), _mm_unpackhi_epi8(lo, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u + 16), _mm_unpacklo_epi8(hi, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u + 24), _mm_unpackhi_epi8(hi, zero));
      u += 32;
      p += 32;
      continue;
    }
    if (EightThreeByteForms(ByteMask(lo, hi, 0x80, 0x80), ByteMask(lo, hi, 0xC0, 0xC0), ByteMask(lo, hi, 0xE0, 0xE0),
                            ByteMask(lo, hi, 0xF0, 0xF0)) &&
        DecodeEightThreeByteForms(src + p, dst + u)) {
      u += 8;
      p += 24;
      *r |= ConvMultiByteSeen;
      continue;
    }
    const WindowMasks w = ClassifyWindow(lo, hi);
    if (!w.wellFormed) break;
    // Each lane's byte with the one and two bytes after it. Texts of one
    // script rarely mix two- and three-byte forms, so each kind is only
    // computed when the window holds it.
    const __m128i next = _mm_alignr_epi8(hi, lo, 1);
    const bool any3 = (w.lead3 & 0xFFFF) != 0;
    const bool any4 = w.lead4 != 0;
    const bool any2 = (w.lead & ~w.lead3 & ~w.lead4) != 0;
    // The byte before each lane, to find the low half of a pair.
    const __m128i previous = _mm_slli_si128(lo, 1);
    const __m128i next2 = _mm_alignr_epi8(hi, lo, 2);
    __m128i out[2];
    bool refused = false;
    for (int half = 0; half < 2; ++half) {
      const __m128i b = half ? _mm_unpackhi_epi8(lo, zero) : _mm_unpacklo_epi8(lo, zero);
      const __m128i n = half ? _mm_unpackhi_epi8(next, zero) : _mm_unpacklo_epi8(next, zero);
      __m128i value = b;
      if (any2) {
        const __m128i is2 = _mm_cmpeq_epi16(_mm_and_si128(b, _mm_set1_epi16(0xE0)), _mm_set1_epi16(0xC0));
        const __m128i u2 =
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b, _mm_set1_epi16(0x1F)), 6), _mm_and_si128(n, m3F));
        value = _mm_or_si128(_mm_andnot_si128(is2, value), _mm_and_si128(is2, u2));
      }
      if (any3) {
        const __m128i m = half ? _mm_unpackhi_epi8(next2, zero) : _mm_unpacklo_epi8(next2, zero);
        const __m128i is3 = _mm_cmpeq_epi16(_mm_and_si128(b, _mm_set1_epi16(0xF0)), _mm_set1_epi16(0xE0));
        const __m128i u3 = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi16(b, 12), _mm_slli_epi16(_mm_and_si128(n, m3F), 6)), _mm_and_si128(m, m3F));
        // Surrogates and U+FFFE/U+FFFF are refused: the scalar decoder says so.
        const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(u3, _mm_set1_epi16(static_cast<short>(0xF800))),
                                                  _mm_set1_epi16(static_cast<short>(0xD800)));
        const __m128i nonChar =
            _mm_cmpeq_epi16(_mm_or_si128(u3, _mm_set1_epi16(1)), _mm_set1_epi16(static_cast<short>(0xFFFF)));
        if (_mm_movemask_epi8(_mm_and_si128(is3, _mm_or_si128(surrogate, nonChar))) != 0) refused = true;
        value = _mm_or_si128(_mm_andnot_si128(is3, value), _mm_and_si128(is3, u3));
      }
      if (any4) {
        const __m128i m = half ? _mm_unpackhi_epi8(next2, zero) : _mm_unpacklo_epi8(next2, zero);
        const __m128i before = half ? _mm_unpackhi_epi8(previous, zero) : _mm_unpacklo_epi8(previous, zero);
        const __m128i f8 = _mm_set1_epi16(0xF8), f0 = _mm_set1_epi16(0xF0);
        const __m128i is4 = _mm_cmpeq_epi16(_mm_and_si128(b, f8), f0);
        const __m128i isLow = _mm_cmpeq_epi16(_mm_and_si128(before, f8), f0);
        // Code point >> 10 from the lead and its next two bytes; only
        // U+10000..U+10FFFF are taken.
        const __m128i top = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b, _mm_set1_epi16(7)), 8), _mm_slli_epi16(_mm_and_si128(n, m3F), 2)),
            _mm_and_si128(_mm_srli_epi16(m, 4), _mm_set1_epi16(3)));
        const __m128i outside =
            _mm_or_si128(_mm_cmplt_epi16(top, _mm_set1_epi16(0x40)), _mm_cmpgt_epi16(top, _mm_set1_epi16(0x43F)));
        if (_mm_movemask_epi8(_mm_and_si128(is4, outside)) != 0) refused = true;
        const __m128i high = _mm_add_epi16(top, _mm_set1_epi16(static_cast<short>(0xD7C0)));
        const __m128i low = _mm_or_si128(_mm_set1_epi16(static_cast<short>(0xDC00)),
                                         _mm_or_si128(_mm_slli_epi16(_mm_and_si128(n, _mm_set1_epi16(0x0F)), 6),
                                                      _mm_and_si128(m, m3F)));
        value = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(is4, isLow), value),
                             _mm_or_si128(_mm_and_si128(is4, high), _mm_and_si128(isLow, low)));
      }
      out[half] = value;
    }
    if (refused) break;
    const unsigned keep = w.keep;
    const unsigned keepLo = keep & 0xFF, keepHi = keep >> 8;
    const __m128i packedLo =
        _mm_shuffle_epi8(out[0], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPackUnits.shuffle[keepLo])));
    const __m128i packedHi =
        _mm_shuffle_epi8(out[1], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPackUnits.shuffle[keepHi])));
    const std::size_t countLo = CountBits8(keepLo), countHi = CountBits8(keepHi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u), packedLo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u + countLo), packedHi);
    u += countLo + countHi;
    if (w.lead != 0) *r |= ConvMultiByteSeen;
    p += w.consumed;
  }
  *units = u;
  return p;
}


}  // namespace

std::size_t Utf8Measure(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r) {
  return MeasureBlocks(src, len, units, r, ClassifyBlock);
}

__attribute__((target("ssse3"))) std::size_t Utf8Decode(const std::uint8_t* src, std::size_t len,
                                                          std::uint16_t* dst, std::size_t* units, ConvResult* r) {
  return DecodeWithPaddedTail(src, len, dst, units, r, DecodeWindows);
}

}  // namespace recodo::kernels::baseline
