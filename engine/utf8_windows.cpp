#include "utf8_windows.h"

#if RECODO_HAVE_SSE2

#include <tmmintrin.h>

#include <array>
#include <atomic>

namespace recodo::utf8 {
namespace {

// For each set of kept 16-bit lanes (bit i = lane i), the byte shuffle that
// packs them to the front.
constexpr std::array<std::array<std::uint8_t, 16>, 256> BuildPackTable() {
  std::array<std::array<std::uint8_t, 16>, 256> table{};
  for (int mask = 0; mask < 256; ++mask) {
    int out = 0;
    for (int lane = 0; lane < 8; ++lane) {
      if (mask & (1 << lane)) {
        table[mask][out++] = static_cast<std::uint8_t>(2 * lane);
        table[mask][out++] = static_cast<std::uint8_t>(2 * lane + 1);
      }
    }
    while (out < 16) table[mask][out++] = 0x80;
  }
  return table;
}

constexpr auto kPack = BuildPackTable();

struct Expansion {
  std::uint8_t shuffle[16];
  std::uint8_t length;
};

// Eight 16-bit lanes each holding one or two UTF-8 bytes (bit i set: lane i
// holds two), laid out back to back.
constexpr std::array<Expansion, 256> BuildTwoByteTable() {
  std::array<Expansion, 256> table{};
  for (int mask = 0; mask < 256; ++mask) {
    int out = 0;
    for (int lane = 0; lane < 8; ++lane) {
      table[mask].shuffle[out++] = static_cast<std::uint8_t>(2 * lane);
      if (mask & (1 << lane)) table[mask].shuffle[out++] = static_cast<std::uint8_t>(2 * lane + 1);
    }
    table[mask].length = static_cast<std::uint8_t>(out);
    while (out < 16) table[mask].shuffle[out++] = 0x80;
  }
  return table;
}

// Four 32-bit lanes holding one to three bytes: bit i of the index says lane
// i holds at least two, bit 4 + i that it holds three.
constexpr std::array<Expansion, 256> BuildThreeByteTable() {
  std::array<Expansion, 256> table{};
  for (int index = 0; index < 256; ++index) {
    int out = 0;
    for (int lane = 0; lane < 4; ++lane) {
      const int bytes = 1 + ((index >> lane) & 1) + ((index >> (4 + lane)) & 1);
      for (int k = 0; k < bytes; ++k) table[index].shuffle[out++] = static_cast<std::uint8_t>(4 * lane + k);
    }
    table[index].length = static_cast<std::uint8_t>(out);
    while (out < 16) table[index].shuffle[out++] = 0x80;
  }
  return table;
}

constexpr auto kTwoByte = BuildTwoByteTable();
constexpr auto kThreeByte = BuildThreeByteTable();

__attribute__((target("ssse3"))) inline std::uint8_t* StoreExpanded(std::uint8_t* out, __m128i bytes,
                                                                     const Expansion& e) {
  const __m128i shuffle = _mm_loadu_si128(reinterpret_cast<const __m128i*>(e.shuffle));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(bytes, shuffle));
  return out + e.length;
}

// UTF-8 bytes of four units as 32-bit lanes: one to three bytes each, and
// two for each half of a surrogate pair, whose bytes come ready in `pair`.
template <bool kPairs>
__attribute__((target("ssse3"))) inline std::uint8_t* EncodeFour(std::uint8_t* out, __m128i w, __m128i surrogate,
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
  return StoreExpanded(out, lanes, kThreeByte[index]);
}

// The two bytes each half of a surrogate pair gives, as a 16-bit lane: the
// high half the first two bytes of the four-byte form, the low half the last
// two (which take two bits of the high half, in the lane before).
__attribute__((target("ssse3"))) inline __m128i PairBytes(__m128i v, __m128i isHigh, __m128i isLow) {
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

}  // namespace

__attribute__((target("ssse3"))) std::size_t DecodeWindows(const std::uint8_t* src, std::size_t len,
                                                             std::uint16_t* dst, std::size_t* units,
                                                             ConvResult* r) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i m3F = _mm_set1_epi16(0x3F);
  std::size_t p = 0;
  std::size_t u = *units;
  while (len - p >= kDirectStoreMargin) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + p));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + p + 16));
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
        _mm_shuffle_epi8(out[0], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPack[keepLo].data())));
    const __m128i packedHi =
        _mm_shuffle_epi8(out[1], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kPack[keepHi].data())));
    const std::size_t countLo = simd::CountBits8(keepLo), countHi = simd::CountBits8(keepHi);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u), packedLo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + u + countLo), packedHi);
    u += countLo + countHi;
    if (w.lead != 0) *r |= ConvMultiByteSeen;
    p += w.consumed;
  }
  *units = u;
  return p;
}

// One window of 8 units; with kPairs the surrogate lanes hold pair halves
// whose bytes come ready in `pair`.
template <bool kPairs>
__attribute__((target("ssse3"))) inline std::uint8_t* EncodeWindow(std::uint8_t* out, __m128i v, __m128i surrogate,
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
  return StoreExpanded(out, lanes, kTwoByte[mask]);
}

__attribute__((target("ssse3"))) std::size_t EncodeWindows(const std::uint16_t* src, std::size_t n,
                                                             std::uint8_t* dst, std::size_t capacity,
                                                             std::size_t* p) {
  const __m128i zero = _mm_setzero_si128();
  std::uint8_t* out = dst + *p;
  // A window writes at most 28 bytes from its start; should the capacity
  // stop the text later, that stop comes within 3 bytes of the capacity.
  std::uint8_t* const limit = dst + capacity - 32;
  std::size_t i = 0;
  // 25 units left: the window takes at most 9, and the 16 after it write at
  // least its spare bytes over.
  while (n - i >= 25 && out <= limit) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                              _mm_set1_epi16(static_cast<short>(0xD800)));
    bool pairAtEnd = false;
    if (_mm_movemask_epi8(surrogate) == 0) {
      out = EncodeWindow<false>(out, v, zero, zero);
    } else {
      const __m128i fc00 = _mm_set1_epi16(static_cast<short>(0xFC00));
      const __m128i isHigh = _mm_cmpeq_epi16(_mm_and_si128(v, fc00), _mm_set1_epi16(static_cast<short>(0xD800)));
      const __m128i isLow = _mm_andnot_si128(isHigh, surrogate);
      const unsigned highs = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(isHigh, zero)));
      const unsigned lows = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(isLow, zero)));
      // Surrogates only in pairs; a pair that starts in the last lane ends
      // just after the window and is finished by hand.
      if (lows != ((highs << 1) & 0xFF)) break;
      pairAtEnd = (highs & 0x80) != 0;
      if (pairAtEnd && (src[i + 8] & 0xFC00) != 0xDC00) break;
      out = EncodeWindow<true>(out, v, surrogate, PairBytes(v, isHigh, isLow));
    }
    i += 8;
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

namespace {
std::atomic<int> ssse3{-1};  // not asked yet
}  // namespace

// No guarded static and no reliance on constructors having run: programs
// load recodo.exe as a library, and then its start-up code never runs.
bool HaveDecodeWindows() {
  int have = ssse3.load(std::memory_order_relaxed);
  if (have < 0) {
    __builtin_cpu_init();
    have = __builtin_cpu_supports("ssse3") ? 1 : 0;
    ssse3.store(have, std::memory_order_relaxed);
  }
  return have != 0;
}

}  // namespace recodo::utf8

#endif
