// The single-byte codecs with SSE2: ASCII and a set's linear run a block of
// 16 at a time, a few other characters in a block looked up one by one.
// With SSSE3, decoding takes every block through byte shuffles of the set's
// table instead.
#include <emmintrin.h>
#include <tmmintrin.h>

#include <cstring>

#include "engine/kernels/baseline/kernels.h"
#include "engine/kernels/utf8_forms.h"

namespace recodo::kernels::baseline {
namespace {

// Up to this many other characters in a block of 16, the block is copied as
// ASCII and those few are looked up afterwards.
constexpr int kSparse = 6;

int CountBits16(unsigned mask) {
  mask = mask - ((mask >> 1) & 0x5555);
  mask = (mask & 0x3333) + ((mask >> 2) & 0x3333);
  mask = (mask + (mask >> 4)) & 0x0F0F;
  return static_cast<int>((mask + (mask >> 8)) & 0x1F);
}

void Widen(__m128i b, std::uint16_t* dst) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi8(b, _mm_setzero_si128()));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), _mm_unpackhi_epi8(b, _mm_setzero_si128()));
}

// Decodes 16 bytes when each is ASCII or in the run; false leaves dst as it was.
bool DecodeRunBlock(const SingleByteSet& set, __m128i b, std::uint16_t* dst) {
  const __m128i offset = _mm_sub_epi8(b, _mm_set1_epi8(static_cast<char>(set.runFirstByte)));
  const __m128i last = _mm_set1_epi8(static_cast<char>(set.runLength - 1));
  const __m128i inRun = _mm_cmpeq_epi8(_mm_min_epu8(offset, last), offset);
  const __m128i ascii = _mm_cmpgt_epi8(b, _mm_set1_epi8(-1));
  if (_mm_movemask_epi8(_mm_or_si128(inRun, ascii)) != 0xFFFF) return false;
  const __m128i delta = _mm_set1_epi16(static_cast<short>(set.runFirstUnit - set.runFirstByte));
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(b, zero), _mm_and_si128(_mm_unpacklo_epi8(inRun, inRun), delta));
  const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(b, zero), _mm_and_si128(_mm_unpackhi_epi8(inRun, inRun), delta));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), lo);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), hi);
  return true;
}

// Encodes 16 units when each is ASCII or in the run (for sets whose ASCII
// encodes to itself); false leaves dst as it was.
bool EncodeRunBlock(const SingleByteSet& set, const std::uint16_t* src, std::uint8_t* dst) {
  const __m128i first = _mm_set1_epi16(static_cast<short>(set.runFirstUnit));
  const __m128i last = _mm_set1_epi16(static_cast<short>(set.runLength - 1));
  const __m128i zero = _mm_setzero_si128();
  const __m128i delta = _mm_set1_epi16(static_cast<short>(set.runFirstUnit - set.runFirstByte));
  const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  __m128i bytes[2];
  for (int half = 0; half < 2; ++half) {
    const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8 * half));
    const __m128i inRun = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(u, first), last), zero);
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(u, notAscii), zero);
    if (_mm_movemask_epi8(_mm_or_si128(inRun, ascii)) != 0xFFFF) return false;
    bytes[half] = _mm_sub_epi16(u, _mm_and_si128(inRun, delta));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(bytes[0], bytes[1]));
  return true;
}

// Bit i set when unit i of the 16 at src is 0x80 or above.
unsigned NonAsciiUnits(const std::uint16_t* src) {
  const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)), notAscii);
  const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 8)), notAscii);
  const __m128i zero = _mm_setzero_si128();
  return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, zero), _mm_cmpeq_epi16(b, zero)))) &
         0xFFFF;
}

// Decodes 16 bytes of any kind through the set's shuffle rows; adds to
// *undefined the lanes whose unit is U+FFFF.
__attribute__((target("ssse3"))) inline void DecodeShuffled(const ShuffleRows& rows, __m128i b, std::uint16_t* dst,
                                                            __m128i* undefined) {
  const auto load = [](const std::uint8_t* row) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row)); };
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i row = _mm_and_si128(_mm_srli_epi16(b, 4), nibble);
  __m128i low = _mm_add_epi8(_mm_shuffle_epi8(load(rows.lowBase), row), _mm_and_si128(b, nibble));
  __m128i high = _mm_shuffle_epi8(load(rows.highBase), row);
  if (rows.irregularCount != 0) {
    for (int k = 0; k < rows.irregularCount; ++k) {
      // Bytes of another row index past 15 and look up zero.
      const __m128i at =
          _mm_adds_epu8(_mm_sub_epi8(b, _mm_set1_epi8(static_cast<char>(rows.firstByte[k]))), _mm_set1_epi8(0x70));
      low = _mm_add_epi8(low, _mm_shuffle_epi8(load(rows.low[k]), at));
      high = _mm_or_si128(high, _mm_shuffle_epi8(load(rows.high[k]), at));
    }
    *undefined = _mm_or_si128(*undefined, _mm_cmpeq_epi8(_mm_and_si128(low, high), _mm_set1_epi8(-1)));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi8(low, high));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 8), _mm_unpackhi_epi8(low, high));
}

__attribute__((target("ssse3"))) inline void DecodeBlock(const ShuffleRows& rows, const std::uint8_t* in,
                                                         std::uint16_t* out, __m128i* undefined) {
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  if (_mm_movemask_epi8(b) == 0) Widen(b, out);
  else DecodeShuffled(rows, b, out, undefined);
}

}  // namespace

__attribute__((target("ssse3"))) bool SingleDecodeShuffled(const SingleByteSet& set, const std::uint8_t* src,
                                                           std::size_t n, std::uint16_t* dst) {
  __m128i undefined = _mm_setzero_si128();
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) DecodeBlock(*set.rows, src + i, dst + i, &undefined);
  if (i < n && n >= 16) {
    // The last bytes as the end of one more block, over units already written.
    DecodeBlock(*set.rows, src + n - 16, dst + n - 16, &undefined);
  } else if (i < n) {
    std::uint8_t in[16] = {};
    std::uint16_t out[16];
    std::memcpy(in, src, n);
    DecodeBlock(*set.rows, in, out, &undefined);
    std::memcpy(dst, out, n * 2);
  }
  return _mm_movemask_epi8(undefined) != 0;
}

bool SingleDecode(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst) {
  // Only looked-up units can be U+FFFF: ASCII and runs never are.
  bool undefined = false;
  const auto lookUp = [&](std::size_t at) {
    const std::uint16_t unit = set.decode[src[at]];
    dst[at] = unit;
    undefined |= unit == UndefinedUnit;
  };
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    unsigned upper = static_cast<unsigned>(_mm_movemask_epi8(b));
    if (upper == 0) {
      Widen(b, dst + i);
      continue;
    }
    if (set.runLength != 0 && DecodeRunBlock(set, b, dst + i)) continue;
    if (CountBits16(upper) <= kSparse) {
      // A few upper bytes among ASCII: widen all, then look up those.
      Widen(b, dst + i);
      for (; upper != 0; upper &= upper - 1) lookUp(i + static_cast<unsigned>(__builtin_ctz(upper)));
    } else {
      for (std::size_t k = 0; k < 16; ++k) lookUp(i + k);
    }
  }
  for (; i < n; ++i) lookUp(i);
  return undefined;
}

void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  const auto encode = [&](std::uint16_t unit) { return set.pages[set.pageOf[unit >> 8]][unit & 0xFF]; };
  const auto block = [&](std::size_t i) {
    if (set.asciiIdentity) {
      unsigned upper = NonAsciiUnits(src + i);
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
      if (upper == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
        return;
      }
      if (set.runLength != 0 && EncodeRunBlock(set, src + i, dst + i)) return;
      if (CountBits16(upper) <= kSparse) {
        // A few other units among ASCII: copy all, then look up those.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
        for (; upper != 0; upper &= upper - 1) {
          const unsigned k = static_cast<unsigned>(__builtin_ctz(upper));
          dst[i + k] = encode(src[i + k]);
        }
        return;
      }
    }
    for (std::size_t k = 0; k < 16; ++k) dst[i + k] = encode(src[i + k]);
  };
  std::size_t i = 0;
  for (; n - i >= 16; i += 16) block(i);
  if (i < n && n >= 16) {
    block(n - 16);
    return;
  }
  for (; i < n; ++i) dst[i] = encode(src[i]);
}

// A block of 16 is stored as it is; its ASCII bytes up to the first
// other one stay, and the run of others from there is expanded over the rest.
std::size_t SingleToUtf8(const std::uint32_t* forms, const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::uint32_t* seen) {
  std::size_t i = 0, w = 0;
  while (n - i >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + w), v);
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (high == 0) {
      i += 16;
      w += 16;
      continue;
    }
    const std::size_t ascii = static_cast<std::size_t>(__builtin_ctz(high));
    i += ascii;
    w += ascii;
    ExpandUpperRun(forms, src, &i, n, dst, &w, seen);
  }
  ExpandRest(forms, src, &i, n, dst, &w, seen);
  return w;
}

}  // namespace recodo::kernels::baseline
