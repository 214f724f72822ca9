// UTF-16 to UTF-8 with SSE2 for the size query and SSSE3 for the conversion.
#include <emmintrin.h>
#include <tmmintrin.h>

#include <cstring>

#include "engine/kernels/baseline/kernels.h"
#include "engine/kernels/padded_tails.h"
#include "engine/kernels/shuffle_tables.h"

namespace recodo::kernels::baseline {
namespace {

[[gnu::always_inline]] __attribute__((target("ssse3"))) inline std::uint8_t* StoreExpanded(std::uint8_t* out, __m128i bytes,
                                                                     const ExpansionTable& table, int index) {
  const __m128i shuffle = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.shuffle[index]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(bytes, shuffle));
  return out + table.length[index];
}

// UTF-8 bytes of four units as 32-bit lanes: one to three bytes each, and
// two for each half of a surrogate pair, whose bytes come ready in `pair`.
template <bool kPairs>
[[gnu::always_inline]] __attribute__((target("ssse3"))) inline std::uint8_t* EncodeFour(std::uint8_t* out, __m128i w, __m128i surrogate,
                                                                  __m128i pair) {
  const __m128i m3F = _mm_set1_epi32(0x3F);
  const __m128i ge80 = _mm_cmpgt_epi32(w, _mm_set1_epi32(0x7F));
  __m128i ge800 = _mm_cmpgt_epi32(w, _mm_set1_epi32(0x7FF));
  if constexpr (kPairs) ge800 = _mm_andnot_si128(surrogate, ge800);
  const __m128i last = _mm_or_si128(_mm_set1_epi32(0x80), _mm_and_si128(w, m3F));
  const __m128i middle = _mm_or_si128(_mm_set1_epi32(0x80), _mm_and_si128(_mm_srli_epi32(w, 6), m3F));
  const __m128i lead2 = _mm_or_si128(_mm_set1_epi32(0xC0), _mm_srli_epi32(w, 6));
  const __m128i lead3 = _mm_or_si128(_mm_set1_epi32(0xE0), _mm_srli_epi32(w, 12));
  // One byte: w. Two: lead2, last. Three: lead3, middle, last.
  const __m128i two = _mm_or_si128(lead2, _mm_slli_epi32(last, 8));
  const __m128i three = _mm_or_si128(_mm_or_si128(lead3, _mm_slli_epi32(middle, 8)), _mm_slli_epi32(last, 16));
  __m128i plainTwo = _mm_andnot_si128(ge800, ge80);
  if constexpr (kPairs) plainTwo = _mm_andnot_si128(surrogate, plainTwo);
  __m128i lanes = _mm_or_si128(_mm_andnot_si128(ge80, w), _mm_and_si128(plainTwo, two));
  lanes = _mm_or_si128(lanes, _mm_and_si128(ge800, three));
  if constexpr (kPairs) lanes = _mm_or_si128(lanes, _mm_and_si128(surrogate, pair));
  const int index = _mm_movemask_ps(_mm_castsi128_ps(ge80)) | (_mm_movemask_ps(_mm_castsi128_ps(ge800)) << 4);
  return StoreExpanded(out, lanes, kThreeByteForms, index);
}

// The two bytes each half of a surrogate pair gives, as a 16-bit lane: the
// high half the first two bytes of the four-byte form, the low half the last
// two (which take two bits of the high half, in the lane before).
[[gnu::always_inline]] __attribute__((target("ssse3"))) inline __m128i PairBytes(__m128i v, __m128i isHigh, __m128i isLow) {
  const __m128i m3F = _mm_set1_epi16(0x3F);
  const __m128i previous = _mm_slli_si128(v, 2);
  const __m128i top = _mm_add_epi16(_mm_srli_epi16(_mm_sub_epi16(v, _mm_set1_epi16(static_cast<short>(0xD800))), 2),
                                    _mm_set1_epi16(0x10));
  const __m128i high = _mm_or_si128(_mm_or_si128(_mm_set1_epi16(0xF0), _mm_srli_epi16(top, 6)),
                                    _mm_slli_epi16(_mm_or_si128(_mm_set1_epi16(0x80), _mm_and_si128(top, m3F)), 8));
  const __m128i third = _mm_or_si128(_mm_set1_epi16(0x80),
                                     _mm_or_si128(_mm_slli_epi16(_mm_and_si128(previous, _mm_set1_epi16(3)), 4),
                                                  _mm_and_si128(_mm_srli_epi16(v, 6), _mm_set1_epi16(0x0F))));
  const __m128i low =
      _mm_or_si128(third, _mm_slli_epi16(_mm_or_si128(_mm_set1_epi16(0x80), _mm_and_si128(v, m3F)), 8));
  return _mm_or_si128(_mm_and_si128(isHigh, high), _mm_and_si128(isLow, low));
}

// One window of 8 units; with kPairs the surrogate lanes hold pair halves
// whose bytes come ready in `pair`.
template <bool kPairs>
[[gnu::always_inline]] __attribute__((target("ssse3"))) inline std::uint8_t* EncodeWindow(std::uint8_t* out, __m128i v, __m128i surrogate,
                                                                    __m128i pair) {
  const __m128i zero = _mm_setzero_si128();
  __m128i above7FF = _mm_xor_si128(
      _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))), zero), _mm_set1_epi16(-1));
  if constexpr (kPairs) above7FF = _mm_andnot_si128(surrogate, above7FF);
  if (_mm_movemask_epi8(above7FF) != 0) {
    out = EncodeFour<kPairs>(out, _mm_unpacklo_epi16(v, zero), _mm_unpacklo_epi16(surrogate, surrogate),
                             _mm_unpacklo_epi16(pair, zero));
    return EncodeFour<kPairs>(out, _mm_unpackhi_epi16(v, zero), _mm_unpackhi_epi16(surrogate, surrogate),
                              _mm_unpackhi_epi16(pair, zero));
  }
  // Every unit below U+0800 or half of a pair: one or two bytes each, in
  // 16-bit lanes.
  const __m128i is2 = _mm_xor_si128(
      _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))), zero), _mm_set1_epi16(-1));
  const __m128i lead = _mm_or_si128(_mm_set1_epi16(0xC0), _mm_srli_epi16(v, 6));
  const __m128i last = _mm_or_si128(_mm_set1_epi16(0x80), _mm_and_si128(v, _mm_set1_epi16(0x3F)));
  const __m128i two = _mm_or_si128(lead, _mm_slli_epi16(last, 8));
  __m128i lanes;
  if constexpr (kPairs) {
    lanes = _mm_or_si128(_mm_or_si128(_mm_andnot_si128(is2, v), _mm_and_si128(_mm_andnot_si128(surrogate, is2), two)),
                         _mm_and_si128(surrogate, pair));
  } else {
    lanes = _mm_or_si128(_mm_andnot_si128(is2, v), _mm_and_si128(is2, two));
  }
  const int mask = _mm_movemask_epi8(_mm_packs_epi16(is2, zero)) & 0xFF;
  return StoreExpanded(out, lanes, kTwoByteForms, mask);
}

// How a window of 8 units encodes, found before any of it is stored.
struct Window {
  bool pairs = false;      // it holds surrogates, every one half of a pair
  bool pairAtEnd = false;  // a pair starts in its last lane: 9 units taken
  __m128i surrogate, pair;
};

// Bit i set when 16-bit lane i of the compare result is set.
__attribute__((target("ssse3"))) inline unsigned Lanes(__m128i mask) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(mask, _mm_setzero_si128())));
}

// Plans the window v at src, or refuses it (false): a surrogate that is not
// half of a pair, or a pair cut off by the end of what may be read (`more`:
// src[8] may). With `lowFirst` a low half in the first lane is taken as the
// end of a pair before the window; its bytes are never used.
[[gnu::always_inline]] __attribute__((target("ssse3"))) inline bool Plan(__m128i v, const std::uint16_t* src, bool more, bool lowFirst,
                                                  Window* w) {
  const __m128i zero = _mm_setzero_si128();
  w->surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                 _mm_set1_epi16(static_cast<short>(0xD800)));
  w->pair = zero;
  if (_mm_movemask_epi8(w->surrogate) == 0) return true;
  const __m128i isHigh = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFC00))),
                                         _mm_set1_epi16(static_cast<short>(0xD800)));
  const __m128i isLow = _mm_andnot_si128(isHigh, w->surrogate);
  const unsigned highs = Lanes(isHigh), lows = Lanes(isLow);
  // Surrogates only in pairs; a pair that starts in the last lane ends just
  // after the window and is finished by hand.
  if (lows != (((highs << 1) | (lowFirst ? lows & 1 : 0)) & 0xFF)) return false;
  w->pairAtEnd = (highs & 0x80) != 0;
  if (w->pairAtEnd && (!more || (src[8] & 0xFC00) != 0xDC00)) return false;
  w->pairs = true;
  w->pair = PairBytes(v, isHigh, isLow);
  return true;
}

// Set bits of a lane mask (no POPCNT at this level).
inline unsigned Count(unsigned lanes) {
  lanes = lanes - ((lanes >> 1) & 0x55);
  lanes = (lanes & 0x33) + ((lanes >> 2) & 0x33);
  return (lanes + (lanes >> 4)) & 0x0F;
}

// The bytes the first `lanes` lanes of a planned window take (each half of
// a pair two), and the two more of a pair finished after it.
[[gnu::always_inline]] __attribute__((target("ssse3"))) inline std::size_t Bytes(__m128i v, const Window& w, unsigned lanes) {
  const __m128i zero = _mm_setzero_si128();
  const unsigned keep = (1u << lanes) - 1;
  const unsigned twoOrMore = ~Lanes(_mm_cmpeq_epi16(_mm_subs_epu16(v, _mm_set1_epi16(0x7F)), zero)) & keep;
  unsigned three = ~Lanes(_mm_cmpeq_epi16(_mm_subs_epu16(v, _mm_set1_epi16(0x7FF)), zero)) & keep;
  if (w.pairs) three &= ~Lanes(w.surrogate);
  return lanes + Count(twoOrMore) + Count(three) + (lanes == 8 && w.pairAtEnd ? 2 : 0);
}

// Stores a planned window at out; returns the end of its bytes. The stores
// reach at most kSpare bytes past them.
constexpr std::size_t kSpare = 12;

[[gnu::always_inline]] __attribute__((target("ssse3"))) inline std::uint8_t* Store(std::uint8_t* out, __m128i v, const Window& w,
                                                            const std::uint16_t* src) {
  out = w.pairs ? EncodeWindow<true>(out, v, w.surrogate, w.pair) : EncodeWindow<false>(out, v, w.surrogate, w.pair);
  if (w.pairAtEnd) {
    const std::uint16_t high = src[7], low = src[8];
    out[0] = static_cast<std::uint8_t>(0x80 | ((high & 3) << 4) | ((low >> 6) & 0x0F));
    out[1] = static_cast<std::uint8_t>(0x80 | (low & 0x3F));
    out += 2;
  }
  return out;
}

// A window takes at most 9 units, and the 16 after it write at least its
// spare bytes over.
constexpr std::size_t kLookahead = 25;

// Encodes windows while the output has room; returns the units taken, *p
// the output position. Far from the end of the text and of the capacity a
// window is stored as it comes; near them it is stored only where what
// follows writes its spare bytes over, else staged and copied exactly; and
// the last units, fewer than a window, go in the window that ends with the
// text. So no byte is written past the conversion's, even where the
// capacity stops it.
__attribute__((target("ssse3"))) std::size_t EncodeWindows(const std::uint16_t* src, std::size_t n,
                                                             std::uint8_t* dst, std::size_t capacity,
                                                             std::size_t* p) {
  const __m128i zero = _mm_setzero_si128();
  std::uint8_t* out = dst + *p;
  std::size_t i = 0;
  const auto ascii = [&](__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))), zero)) ==
           0xFFFF;
  };
  // ASCII: narrowed as it is, exactly 8 bytes, so it needs no more room.
  const auto narrow = [&](__m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(v, v));
    out += 8;
    i += 8;
  };
  // Far from the end: a window writes at most 28 bytes from its start;
  // should the capacity stop the text later, that stop comes within 3 bytes
  // of it, past every spare byte.
  while (n - i >= kLookahead) {
    const std::size_t room = capacity - static_cast<std::size_t>(out - dst);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (ascii(v)) {
      if (room < 8) break;
      narrow(v);
      continue;
    }
    Window w;
    if (room < 32 || !Plan(v, src + i, true, false, &w)) break;
    out = Store(out, v, w, src + i);
    i += w.pairAtEnd ? 9 : 8;
  }
  while (n - i >= 8) {
    const std::size_t room = capacity - static_cast<std::size_t>(out - dst);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    if (ascii(v)) {
      if (room < 8) break;
      narrow(v);
      continue;
    }
    Window w;
    if (!Plan(v, src + i, n - i > 8, false, &w)) break;
    const std::size_t taken = w.pairAtEnd ? 9 : 8;
    const std::size_t bytes = Bytes(v, w, 8);
    if (bytes > room) break;
    if (room - bytes >= kSpare + 3 && n - i - taken >= kSpare) {
      Store(out, v, w, src + i);
    } else {
      std::uint8_t staged[48];
      Store(staged, v, w, src + i);
      CopyExactly(out, staged, bytes);
    }
    out += bytes;
    i += taken;
  }
  if (i < n && n - i < 8 && n >= 8) {
    // Fewer than 8 units left: the window that ends with the text, of
    // whose bytes only those of the last units are new.
    const std::size_t done = 8 - (n - i);
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n - 8));
    Window w;
    if (Plan(v, src + n - 8, false, true, &w)) {
      const std::size_t before = Bytes(v, w, static_cast<unsigned>(done));
      const std::size_t bytes = Bytes(v, w, 8) - before;
      if (bytes <= capacity - static_cast<std::size_t>(out - dst)) {
        std::uint8_t staged[48];
        Store(staged, v, w, src + n - 8);
        CopyExactly(out, staged + before, bytes);
        out += bytes;
        i = n;
      }
    }
  }
  *p = static_cast<std::size_t>(out - dst);
  return i;
}

}  // namespace

std::uint64_t Utf8Size(const std::uint16_t* src, std::size_t n) {
  // Each unit takes 3 bytes, one less below U+0800, one less again below
  // U+0080, one more as a surrogate; the lanes add up those differences.
  const __m128i zero = _mm_setzero_si128();
  const auto differences = [&](__m128i v) {
    const __m128i below80 = _mm_cmpeq_epi16(_mm_subs_epu16(v, _mm_set1_epi16(0x7F)), zero);
    const __m128i below800 = _mm_cmpeq_epi16(_mm_subs_epu16(v, _mm_set1_epi16(0x7FF)), zero);
    const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                              _mm_set1_epi16(static_cast<short>(0xD800)));
    return _mm_sub_epi16(_mm_add_epi16(below80, below800), surrogate);
  };
  std::int64_t total = 3 * static_cast<std::int64_t>(n);
  std::size_t i = 0;
  while (n - i >= 8) {
    // Lanes move by at most 2 a step: 8,192 steps stay within 16 bits.
    __m128i sum = zero;
    for (std::size_t steps = 0; steps < 8192 && n - i >= 8; ++steps, i += 8)
      sum = _mm_add_epi16(sum, differences(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i))));
    const __m128i pairs = _mm_madd_epi16(sum, _mm_set1_epi16(1));
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), pairs);
    total += std::int64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
  }
  if (i < n) {
    // The last units, from a block that ends with the text; the lanes
    // counted already are masked out.
    const std::size_t left = n - i;
    __m128i v;
    if (n >= 8) {
      v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n - 8));
    } else {
      std::uint16_t padded[8] = {};
      std::memcpy(padded, src + i, left * 2);
      v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded));
    }
    // Lanes to count: from a window onto {0 x 8, 0xFFFF x 8, 0 x 8}, the last
    // `left` lanes of a block that ends with the text, or the first `left` of
    // the padded copy.
    static constexpr std::uint16_t kLanes[24] = {0, 0, 0, 0, 0, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                                 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0};
    const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kLanes + (n >= 8 ? left : 16 - left)));
    const __m128i d = _mm_and_si128(differences(v), keep);
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_madd_epi16(d, _mm_set1_epi16(1)));
    total += std::int64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
  }
  return static_cast<std::uint64_t>(total);
}

__attribute__((target("ssse3"))) std::size_t Utf8Encode(const std::uint16_t* src, std::size_t n, std::uint8_t* dst,
                                                          std::size_t capacity, std::size_t* p) {
  return EncodeWindows(src, n, dst, capacity, p);
}

}  // namespace recodo::kernels::baseline
