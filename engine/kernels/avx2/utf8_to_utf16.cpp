// UTF-8 to UTF-16 with AVX2: the measuring pass on blocks of 64 bytes, the
// decoding in windows of 16 start positions computed in one register.
#include <immintrin.h>

#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/padded_tails.h"
#include "engine/kernels/shuffle_tables.h"
#include "engine/kernels/utf8_blocks.h"
#include "engine/kernels/utf8_three_byte.h"
#include "engine/kernels/utf8_windows.h"

namespace recodo::kernels::avx2 {
namespace {

// Signed bytes: a byte from 0xC0 is above -65, one from 0xE0 above -33, and
// so on; the and keeps only the bytes from 0x80.
std::uint32_t From(__m256i v, int above) {
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8(static_cast<char>(above))), v)));
}

void ClassifyBlock(const std::uint8_t* block, ByteClasses* c) {
  const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block));
  const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32));
  const auto both = [&](int above) { return std::uint64_t(From(lo, above)) | std::uint64_t(From(hi, above)) << 32; };
  c->nonAscii = std::uint64_t(std::uint32_t(_mm256_movemask_epi8(lo))) |
                std::uint64_t(std::uint32_t(_mm256_movemask_epi8(hi))) << 32;
  if (c->nonAscii == 0) {
    c->fromC0 = c->fromE0 = c->fromF0 = c->fromF8 = 0;
    return;
  }
  c->fromC0 = both(-65);
  c->fromE0 = both(-33);
  c->fromF0 = both(-17);
  c->fromF8 = both(-9);
}

__m256i Widen(__m128i bytes) { return _mm256_cvtepu8_epi16(bytes); }

__m128i Load16(const std::uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

// Packs the kept units of each 8-unit half to its front.
__m256i PackShuffle(unsigned keepLo, unsigned keepHi) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kPackUnits.shuffle[keepLo]))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPackUnits.shuffle[keepHi])), 1);
}

// The units of 32 bytes of ASCII and two-byte forms (33 readable), the
// lanes of `keep` packed and stored at `dst`, 8 units at a time.
void StoreTwoByteUnits(const std::uint8_t* src, std::uint32_t keep, std::uint16_t* dst, std::size_t* units) {
  const __m256i m3F = _mm256_set1_epi16(0x3F), m1F = _mm256_set1_epi16(0x1F);
  const auto decode = [&](const std::uint8_t* at) {
    const __m256i b = Widen(Load16(at)), n = Widen(Load16(at + 1));
    const __m256i lead = _mm256_cmpgt_epi16(b, _mm256_set1_epi16(0xBF));
    const __m256i two = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b, m1F), 6), _mm256_and_si256(n, m3F));
    return _mm256_blendv_epi8(b, two, lead);
  };
  std::size_t u = 0;
  for (int half = 0; half < 2; ++half) {
    const unsigned lo = (keep >> (16 * half)) & 0xFF, hi = (keep >> (16 * half + 8)) & 0xFF;
    const __m256i packed = _mm256_shuffle_epi8(decode(src + 16 * half), PackShuffle(lo, hi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u), _mm256_castsi256_si128(packed));
    u += _mm_popcnt_u32(lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u), _mm256_extracti128_si256(packed, 1));
    u += _mm_popcnt_u32(hi);
  }
  *units += u;
}

// Sixteen three-byte forms in a row (48 bytes readable) into dst, eight in
// each half of the register as the shuffles of eight do it. False, storing
// nothing, when one is a value the decoder refuses.
bool DecodeSixteenThreeByteForms(const std::uint8_t* src, std::uint16_t* dst) {
  const auto two = [&](std::size_t at) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(Load16(src + at)), Load16(src + 24 + at), 1);
  };
  const auto table = [](const std::uint8_t* row) { return _mm256_broadcastsi128_si256(Load16(row)); };
  const __m256i first = two(0), second = two(8);
  const __m256i lead = _mm256_or_si256(_mm256_shuffle_epi8(first, table(kThreeByteShuffles.leadFirst)),
                                       _mm256_shuffle_epi8(second, table(kThreeByteShuffles.leadSecond)));
  const __m256i last = _mm256_or_si256(_mm256_shuffle_epi8(first, table(kThreeByteShuffles.lastFirst)),
                                       _mm256_shuffle_epi8(second, table(kThreeByteShuffles.lastSecond)));
  const __m256i units =
      _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(lead, _mm256_set1_epi16(0x0F00)), 4),
                                      _mm256_slli_epi16(_mm256_and_si256(lead, _mm256_set1_epi16(0x3F)), 6)),
                      _mm256_and_si256(last, _mm256_set1_epi16(0x3F)));
  const __m256i surrogate = _mm256_cmpeq_epi16(_mm256_and_si256(units, _mm256_set1_epi16(static_cast<short>(0xF800))),
                                               _mm256_set1_epi16(static_cast<short>(0xD800)));
  const __m256i nonCharacter =
      _mm256_cmpeq_epi16(_mm256_or_si256(units, _mm256_set1_epi16(1)), _mm256_set1_epi16(static_cast<short>(0xFFFF)));
  if (!_mm256_testz_si256(_mm256_or_si256(surrogate, nonCharacter), _mm256_set1_epi16(-1))) return false;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), units);
  return true;
}

// Decodes windows while they start before `limit`; 32 bytes from any such
// start are readable, and the units stored past a window's own are written
// over by what follows.
std::size_t DecodeWindows(const std::uint8_t* src, std::size_t limit, std::uint16_t* dst, std::size_t* units,
                          ConvResult* r) {
  const __m256i m3F = _mm256_set1_epi16(0x3F);
  std::size_t p = 0;
  std::size_t u = *units;
  bool multi = false;
  while (p < limit) {
    const __m256i all = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + p));
    const std::uint32_t nonAscii = static_cast<std::uint32_t>(_mm256_movemask_epi8(all));
    if (nonAscii == 0) {
      // ASCII: widened as it is, exactly 32 units.
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + u), Widen(_mm256_castsi256_si128(all)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + u + 16), Widen(_mm256_extracti128_si256(all, 1)));
      u += 32;
      p += 32;
      continue;
    }
    const std::uint32_t fromC0 = From(all, -65), fromE0 = From(all, -33);
    if (fromE0 == 0 && ((fromC0 << 1) ^ (nonAscii & ~fromC0)) == 0) {
      // ASCII and two-byte forms only, each lead followed by its one
      // continuation byte: all 32 lanes at once.
      const unsigned lastLead = fromC0 >> 31;  // its form ends past the block: left to the next
      const std::uint32_t keep = ~(nonAscii & ~fromC0) & ~(lastLead << 31);
      StoreTwoByteUnits(src + p, keep, dst + u, &u);
      multi |= (fromC0 & keep) != 0;  // a lead left to the next block is not seen yet
      p += 32 - lastLead;
      continue;
    }
    const std::uint32_t fromF0 = From(all, -17);
    if (EightThreeByteForms(nonAscii, fromC0, fromE0, fromF0)) {
      // And sixteen when the next 24 bytes are eight more, which may be read
      // (33 bytes from p + 16).
      if (p + 16 < limit) {
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + p + 16));
        const auto at24 = [&](int above) { return From(next, above) >> 8; };
        if (EightThreeByteForms(static_cast<std::uint32_t>(_mm256_movemask_epi8(next)) >> 8, at24(-65), at24(-33),
                                at24(-17)) &&
            DecodeSixteenThreeByteForms(src + p, dst + u)) {
          u += 16;
          p += 48;
          multi = true;
          continue;
        }
      }
      if (DecodeEightThreeByteForms(src + p, dst + u)) {
        u += 8;
        p += 24;
        multi = true;
        continue;
      }
    }
    const std::uint32_t lead4 = fromF0 & ~From(all, -9);
    const WindowMasks w = ClassifyWindow(nonAscii & ~fromC0, fromC0 & ~fromE0, fromE0 & ~fromF0, fromF0, lead4);
    if (!w.wellFormed) break;
    const bool any3 = (w.lead3 & 0xFFFF) != 0;
    const bool any4 = w.lead4 != 0;
    const bool any2 = (w.lead & ~w.lead3 & ~w.lead4) != 0;
    // Each lane's byte with the one and two bytes after it, and the one
    // before it (none before the first: a window starts a character).
    const __m128i first = _mm256_castsi256_si128(all);
    const __m256i b = Widen(first);
    const __m256i n = Widen(Load16(src + p + 1));
    __m256i value = b;
    if (any2) {
      const __m256i is2 = _mm256_cmpeq_epi16(_mm256_and_si256(b, _mm256_set1_epi16(0xE0)), _mm256_set1_epi16(0xC0));
      const __m256i u2 = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b, _mm256_set1_epi16(0x1F)), 6),
                                         _mm256_and_si256(n, m3F));
      value = _mm256_blendv_epi8(value, u2, is2);
    }
    if (any3 || any4) {
      const __m256i m = Widen(Load16(src + p + 2));
      if (any3) {
        const __m256i is3 = _mm256_cmpeq_epi16(_mm256_and_si256(b, _mm256_set1_epi16(0xF0)), _mm256_set1_epi16(0xE0));
        const __m256i u3 = _mm256_or_si256(
            _mm256_or_si256(_mm256_slli_epi16(b, 12), _mm256_slli_epi16(_mm256_and_si256(n, m3F), 6)),
            _mm256_and_si256(m, m3F));
        // Surrogates and U+FFFE/U+FFFF are refused: the scalar decoder says so.
        const __m256i surrogate =
            _mm256_cmpeq_epi16(_mm256_and_si256(u3, _mm256_set1_epi16(static_cast<short>(0xF800))),
                               _mm256_set1_epi16(static_cast<short>(0xD800)));
        const __m256i nonChar = _mm256_cmpeq_epi16(_mm256_or_si256(u3, _mm256_set1_epi16(1)), _mm256_set1_epi16(-1));
        if (_mm256_movemask_epi8(_mm256_and_si256(is3, _mm256_or_si256(surrogate, nonChar))) != 0) break;
        value = _mm256_blendv_epi8(value, u3, is3);
      }
      if (any4) {
        const __m256i before = Widen(_mm_slli_si128(first, 1));
        const __m256i f8 = _mm256_set1_epi16(0xF8), f0 = _mm256_set1_epi16(0xF0);
        const __m256i is4 = _mm256_cmpeq_epi16(_mm256_and_si256(b, f8), f0);
        const __m256i isLow = _mm256_cmpeq_epi16(_mm256_and_si256(before, f8), f0);
        // Code point >> 10 from the lead and its next two bytes; only
        // U+10000..U+10FFFF are taken.
        const __m256i top = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b, _mm256_set1_epi16(7)), 8),
                                                            _mm256_slli_epi16(_mm256_and_si256(n, m3F), 2)),
                                            _mm256_and_si256(_mm256_srli_epi16(m, 4), _mm256_set1_epi16(3)));
        const __m256i outside = _mm256_or_si256(_mm256_cmpgt_epi16(_mm256_set1_epi16(0x40), top),
                                                _mm256_cmpgt_epi16(top, _mm256_set1_epi16(0x43F)));
        if (_mm256_movemask_epi8(_mm256_and_si256(is4, outside)) != 0) break;
        const __m256i high = _mm256_add_epi16(top, _mm256_set1_epi16(static_cast<short>(0xD7C0)));
        const __m256i low = _mm256_or_si256(
            _mm256_set1_epi16(static_cast<short>(0xDC00)),
            _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(n, _mm256_set1_epi16(0x0F)), 6), _mm256_and_si256(m, m3F)));
        value = _mm256_blendv_epi8(value, high, is4);
        value = _mm256_blendv_epi8(value, low, isLow);
      }
    }
    // The kept lanes of each half packed to its front, the halves stored
    // one after the other.
    const unsigned keepLo = w.keep & 0xFF, keepHi = w.keep >> 8;
    const __m256i packed = _mm256_shuffle_epi8(value, PackShuffle(keepLo, keepHi));
    const std::size_t countLo = _mm_popcnt_u32(keepLo), countHi = _mm_popcnt_u32(keepHi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u + countLo), _mm256_extracti128_si256(packed, 1));
    u += countLo + countHi;
    multi |= w.lead != 0;
    p += w.consumed;
  }
  if (multi) *r |= ConvMultiByteSeen;
  *units = u;
  return p;
}

}  // namespace

std::size_t Utf8Measure(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r) {
  return MeasureBlocks(src, len, units, r, ClassifyBlock);
}

std::size_t Utf8Decode(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                       ConvResult* r) {
  return DecodeWithPaddedTail(src, len, dst, units, r, DecodeWindows);
}

}  // namespace recodo::kernels::avx2
