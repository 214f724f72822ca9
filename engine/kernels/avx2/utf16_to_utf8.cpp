// UTF-16 to UTF-8 with AVX2: the size query 16 units a step, the
// conversion in windows of 16 units, each half of a register expanded with
// its own shuffle.
#include <immintrin.h>

#include <cstring>

#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/padded_tails.h"
#include "engine/kernels/shuffle_tables.h"

namespace recodo::kernels::avx2 {
namespace {

__m128i Row(const std::uint8_t* row) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row)); }

// Stores each half of `bytes` expanded by its row of the table: the low
// half's bytes first, the high half's right after them.
[[gnu::always_inline]] inline std::uint8_t* StoreExpanded(std::uint8_t* out, __m256i bytes, const ExpansionTable& table, unsigned lo,
                            unsigned hi) {
  const __m256i shuffle = _mm256_inserti128_si256(_mm256_castsi128_si256(Row(table.shuffle[lo])), Row(table.shuffle[hi]), 1);
  const __m256i expanded = _mm256_shuffle_epi8(bytes, shuffle);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(expanded));
  out += table.length[lo];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_extracti128_si256(expanded, 1));
  return out + table.length[hi];
}

// UTF-8 bytes of eight units as 32-bit lanes: one to three bytes each, and
// two for each half of a surrogate pair, whose bytes come ready in `pair`.
template <bool kPairs>
[[gnu::always_inline]] inline std::uint8_t* EncodeEight(std::uint8_t* out, __m256i w, __m256i surrogate, __m256i pair) {
  const __m256i m3F = _mm256_set1_epi32(0x3F);
  const __m256i ge80 = _mm256_cmpgt_epi32(w, _mm256_set1_epi32(0x7F));
  __m256i ge800 = _mm256_cmpgt_epi32(w, _mm256_set1_epi32(0x7FF));
  if constexpr (kPairs) ge800 = _mm256_andnot_si256(surrogate, ge800);
  const __m256i last = _mm256_or_si256(_mm256_set1_epi32(0x80), _mm256_and_si256(w, m3F));
  const __m256i middle = _mm256_or_si256(_mm256_set1_epi32(0x80), _mm256_and_si256(_mm256_srli_epi32(w, 6), m3F));
  const __m256i lead2 = _mm256_or_si256(_mm256_set1_epi32(0xC0), _mm256_srli_epi32(w, 6));
  const __m256i lead3 = _mm256_or_si256(_mm256_set1_epi32(0xE0), _mm256_srli_epi32(w, 12));
  // One byte: w. Two: lead2, last. Three: lead3, middle, last.
  const __m256i two = _mm256_or_si256(lead2, _mm256_slli_epi32(last, 8));
  const __m256i three =
      _mm256_or_si256(_mm256_or_si256(lead3, _mm256_slli_epi32(middle, 8)), _mm256_slli_epi32(last, 16));
  __m256i lanes = _mm256_blendv_epi8(w, two, ge80);
  lanes = _mm256_blendv_epi8(lanes, three, ge800);
  if constexpr (kPairs) lanes = _mm256_blendv_epi8(lanes, pair, surrogate);
  const unsigned g80 = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(ge80)));
  const unsigned g800 = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(ge800)));
  return StoreExpanded(out, lanes, kThreeByteForms, (g80 & 0xF) | ((g800 & 0xF) << 4), (g80 >> 4) | ((g800 >> 4) << 4));
}

// The two bytes each half of a surrogate pair gives, as a 16-bit lane: the
// high half the first two bytes of the four-byte form, the low half the last
// two (which take two bits of the high half, in the lane before).
[[gnu::always_inline]] inline __m256i PairBytes(__m256i v, __m256i isHigh, __m256i isLow) {
  const __m256i m3F = _mm256_set1_epi16(0x3F);
  const __m256i previous = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 14);
  const __m256i top = _mm256_add_epi16(
      _mm256_srli_epi16(_mm256_sub_epi16(v, _mm256_set1_epi16(static_cast<short>(0xD800))), 2), _mm256_set1_epi16(0x10));
  const __m256i high =
      _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi16(0xF0), _mm256_srli_epi16(top, 6)),
                      _mm256_slli_epi16(_mm256_or_si256(_mm256_set1_epi16(0x80), _mm256_and_si256(top, m3F)), 8));
  const __m256i third = _mm256_or_si256(
      _mm256_set1_epi16(0x80), _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(previous, _mm256_set1_epi16(3)), 4),
                                               _mm256_and_si256(_mm256_srli_epi16(v, 6), _mm256_set1_epi16(0x0F))));
  const __m256i low =
      _mm256_or_si256(third, _mm256_slli_epi16(_mm256_or_si256(_mm256_set1_epi16(0x80), _mm256_and_si256(v, m3F)), 8));
  return _mm256_or_si256(_mm256_and_si256(isHigh, high), _mm256_and_si256(isLow, low));
}

// Bit i set when 16-bit lane i of the compare result is set. (Not with
// PEXT: some processors that have it take a hundred cycles for it.)
[[gnu::always_inline]] inline unsigned Lanes(__m256i mask) {
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_packs_epi16(_mm256_castsi256_si128(mask), _mm256_extracti128_si256(mask, 1))));
}

// One window of 16 units; with kPairs the surrogate lanes hold pair halves
// whose bytes come ready in `pair`.
template <bool kPairs>
[[gnu::always_inline]] inline std::uint8_t* EncodeWindow(std::uint8_t* out, __m256i v, __m256i surrogate, __m256i pair) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i above7FF = _mm256_xor_si256(
      _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xF800))), zero),
      _mm256_set1_epi16(-1));
  if constexpr (kPairs) above7FF = _mm256_andnot_si256(surrogate, above7FF);
  if (!_mm256_testz_si256(above7FF, above7FF)) {
    // Units as 32-bit lanes, eight at a time.
    for (int half = 0; half < 2; ++half) {
      const auto wide = [&](__m256i x) {
        return _mm256_cvtepu16_epi32(half ? _mm256_extracti128_si256(x, 1) : _mm256_castsi256_si128(x));
      };
      out = EncodeEight<kPairs>(out, wide(v), kPairs ? _mm256_cvtepi16_epi32(half ? _mm256_extracti128_si256(surrogate, 1)
                                                                                 : _mm256_castsi256_si128(surrogate))
                                                     : zero,
                                kPairs ? wide(pair) : zero);
    }
    return out;
  }
  // Every unit below U+0800 or half of a pair: one or two bytes each, in
  // 16-bit lanes.
  const __m256i is2 = _mm256_xor_si256(
      _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xFF80))), zero),
      _mm256_set1_epi16(-1));
  const __m256i lead = _mm256_or_si256(_mm256_set1_epi16(0xC0), _mm256_srli_epi16(v, 6));
  const __m256i last = _mm256_or_si256(_mm256_set1_epi16(0x80), _mm256_and_si256(v, _mm256_set1_epi16(0x3F)));
  __m256i lanes = _mm256_blendv_epi8(v, _mm256_or_si256(lead, _mm256_slli_epi16(last, 8)), is2);
  if constexpr (kPairs) lanes = _mm256_blendv_epi8(lanes, pair, surrogate);
  const unsigned mask = Lanes(is2);
  return StoreExpanded(out, lanes, kTwoByteForms, mask & 0xFF, mask >> 8);
}

// How a window of 16 units encodes, found before any of it is stored.
struct Window {
  bool pairs = false;      // it holds surrogates, every one half of a pair
  bool pairAtEnd = false;  // a pair starts in its last lane: 17 units taken
  __m256i surrogate, pair;
};

// Plans the window v at src, or refuses it (false): a surrogate that is not
// half of a pair, or a pair cut off by the end of what may be read (`more`:
// src[16] may). With `lowFirst` a low half in the first lane is taken as the
// end of a pair before the window; its bytes are never used.
[[gnu::always_inline]] inline bool Plan(__m256i v, const std::uint16_t* src, bool more, bool lowFirst, Window* w) {
  const __m256i zero = _mm256_setzero_si256();
  w->surrogate = _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xF800))),
                                    _mm256_set1_epi16(static_cast<short>(0xD800)));
  w->pair = zero;
  if (_mm256_testz_si256(w->surrogate, w->surrogate)) return true;
  const __m256i isHigh = _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xFC00))),
                                            _mm256_set1_epi16(static_cast<short>(0xD800)));
  const __m256i isLow = _mm256_andnot_si256(isHigh, w->surrogate);
  const unsigned highs = Lanes(isHigh), lows = Lanes(isLow);
  // Surrogates only in pairs; a pair that starts in the last lane ends just
  // after the window and is finished by hand.
  if (lows != (((highs << 1) | (lowFirst ? lows & 1 : 0)) & 0xFFFF)) return false;
  w->pairAtEnd = (highs & 0x8000) != 0;
  if (w->pairAtEnd && (!more || (src[16] & 0xFC00) != 0xDC00)) return false;
  w->pairs = true;
  w->pair = PairBytes(v, isHigh, isLow);
  return true;
}

// The bytes the first `lanes` lanes of a planned window take (each half of
// a pair two), and the two more of a pair finished after it.
[[gnu::always_inline]] inline std::size_t Bytes(__m256i v, const Window& w, unsigned lanes) {
  const __m256i zero = _mm256_setzero_si256();
  const unsigned keep = (1u << lanes) - 1;
  const unsigned twoOrMore = ~Lanes(_mm256_cmpeq_epi16(_mm256_subs_epu16(v, _mm256_set1_epi16(0x7F)), zero)) & keep;
  unsigned three = ~Lanes(_mm256_cmpeq_epi16(_mm256_subs_epu16(v, _mm256_set1_epi16(0x7FF)), zero)) & keep;
  if (w.pairs) three &= ~Lanes(w.surrogate);
  return lanes + static_cast<std::size_t>(__builtin_popcount(twoOrMore) + __builtin_popcount(three)) +
         (lanes == 16 && w.pairAtEnd ? 2 : 0);
}

// Stores a planned window at out; returns the end of its bytes. The stores
// reach at most kSpare bytes past them.
constexpr std::size_t kSpare = 12;

[[gnu::always_inline]] inline std::uint8_t* Store(std::uint8_t* out, __m256i v, const Window& w, const std::uint16_t* src) {
  out = w.pairs ? EncodeWindow<true>(out, v, w.surrogate, w.pair) : EncodeWindow<false>(out, v, w.surrogate, w.pair);
  if (w.pairAtEnd) {
    const std::uint16_t high = src[15], low = src[16];
    out[0] = static_cast<std::uint8_t>(0x80 | ((high & 3) << 4) | ((low >> 6) & 0x0F));
    out[1] = static_cast<std::uint8_t>(0x80 | (low & 0x3F));
    out += 2;
  }
  return out;
}

// A window takes at most 17 units, and the 16 after it write at least its
// spare bytes over.
constexpr std::size_t kLookahead = 33;

// Encodes windows while the output has room; returns the units taken, *p
// the output position. Far from the end of the text and of the capacity a
// window is stored as it comes; near them it is stored only where what
// follows writes its spare bytes over, else staged and copied exactly; and
// the last units, fewer than a window, go in the window that ends with the
// text. So no byte is written past the conversion's, even where the
// capacity stops it.
std::size_t EncodeWindows(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                          std::size_t* p) {
  std::uint8_t* out = dst + *p;
  std::size_t i = 0;
  const auto ascii = [](__m256i v) { return _mm256_testz_si256(v, _mm256_set1_epi16(static_cast<short>(0xFF80))); };
  // ASCII: narrowed as it is, exactly 16 bytes, so it needs no more room.
  const auto narrow = [&](__m256i v) {
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0xD8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(bytes));
    out += 16;
    i += 16;
  };
  // Far from the end: a window writes at most 52 bytes from its start; should
  // the capacity stop the text later, that stop comes within 3 bytes of it,
  // past every spare byte.
  while (n - i >= kLookahead) {
    const std::size_t room = capacity - static_cast<std::size_t>(out - dst);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    if (ascii(v)) {
      if (room < 16) break;
      narrow(v);
      continue;
    }
    Window w;
    if (room < 64 || !Plan(v, src + i, true, false, &w)) break;
    out = Store(out, v, w, src + i);
    i += w.pairAtEnd ? 17 : 16;
  }
  while (n - i >= 16) {
    const std::size_t room = capacity - static_cast<std::size_t>(out - dst);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    if (ascii(v)) {
      if (room < 16) break;
      narrow(v);
      continue;
    }
    Window w;
    if (!Plan(v, src + i, n - i > 16, false, &w)) break;
    const std::size_t taken = w.pairAtEnd ? 17 : 16;
    const std::size_t bytes = Bytes(v, w, 16);
    if (bytes > room) break;
    if (room - bytes >= kSpare + 3 && n - i - taken >= kSpare) {
      Store(out, v, w, src + i);
    } else {
      std::uint8_t staged[64];
      Store(staged, v, w, src + i);
      CopyExactly(out, staged, bytes);
    }
    out += bytes;
    i += taken;
  }
  if (i < n && n - i < 16 && n >= 16) {
    // Fewer than 16 units left: the window that ends with the text, of
    // whose bytes only those of the last units are new.
    const std::size_t done = 16 - (n - i);
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + n - 16));
    Window w;
    if (Plan(v, src + n - 16, false, true, &w)) {
      const std::size_t before = Bytes(v, w, static_cast<unsigned>(done));
      const std::size_t bytes = Bytes(v, w, 16) - before;
      if (bytes <= capacity - static_cast<std::size_t>(out - dst)) {
        std::uint8_t staged[64];
        Store(staged, v, w, src + n - 16);
        CopyExactly(out, staged + before, bytes);
        out += bytes;
        i = n;
      }
    }
  }
  *p = static_cast<std::size_t>(out - dst);
  return i;
}

// Each unit takes 3 bytes, one less below U+0800, one less again below
// U+0080, one more as a surrogate: the differences from 3, per lane.
__m256i Differences(__m256i v) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i below80 = _mm256_cmpeq_epi16(_mm256_subs_epu16(v, _mm256_set1_epi16(0x7F)), zero);
  const __m256i below800 = _mm256_cmpeq_epi16(_mm256_subs_epu16(v, _mm256_set1_epi16(0x7FF)), zero);
  const __m256i surrogate = _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xF800))),
                                               _mm256_set1_epi16(static_cast<short>(0xD800)));
  return _mm256_sub_epi16(_mm256_add_epi16(below80, below800), surrogate);
}

std::int64_t SumLanes(__m256i sum) {
  const __m256i pairs = _mm256_madd_epi16(sum, _mm256_set1_epi16(1));
  const __m128i four = _mm_add_epi32(_mm256_castsi256_si128(pairs), _mm256_extracti128_si256(pairs, 1));
  const __m128i two = _mm_add_epi32(four, _mm_unpackhi_epi64(four, four));
  return std::int64_t(_mm_cvtsi128_si32(two)) + _mm_extract_epi32(two, 1);
}

}  // namespace

std::uint64_t Utf8Size(const std::uint16_t* src, std::size_t n) {
  std::int64_t total = 3 * static_cast<std::int64_t>(n);
  std::size_t i = 0;
  while (n - i >= 16) {
    // Lanes move by at most 2 a step: 8,192 steps stay within 16 bits.
    __m256i sum = _mm256_setzero_si256();
    for (std::size_t steps = 0; steps < 8192 && n - i >= 16; ++steps, i += 16)
      sum = _mm256_add_epi16(sum, Differences(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i))));
    total += SumLanes(sum);
  }
  if (i < n) {
    // The last units: from a block that ends with the text, or from a
    // padded copy; the lanes not theirs are masked out. The table is a
    // window onto {0 x 16, 0xFFFF x 16, 0 x 16}.
    static constexpr std::uint16_t kLanes[48] = {
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
        0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::size_t left = n - i;
    __m256i v, keep;
    if (n >= 16) {
      v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + n - 16));
      keep = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLanes + left));
    } else {
      std::uint16_t padded[16] = {};
      std::memcpy(padded, src, left * 2);
      v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(padded));
      keep = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kLanes + 32 - left));
    }
    total += SumLanes(_mm256_and_si256(Differences(v), keep));
  }
  return static_cast<std::uint64_t>(total);
}

std::size_t Utf8Encode(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                       std::size_t* p) {
  const std::size_t taken = EncodeWindows(src, n, dst, capacity, p);
  // The compiler leaves the upper halves dirty on some paths out of the
  // windows (after calls that take 256-bit arguments); the SSE code of the
  // caller would pay for every instruction.
  _mm256_zeroupper();
  return taken;
}

}  // namespace recodo::kernels::avx2
