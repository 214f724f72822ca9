// The single-byte codecs with AVX2. Decoding 32 bytes a block through byte
// shuffles of the set's table, for every set. Encoding: ASCII and a set's
// linear run a block of 32 at a time, a few other characters in a block
// looked up one by one.
#include <immintrin.h>

#include <cstring>

#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/utf8_forms.h"

namespace recodo::kernels::avx2 {
namespace {

// Up to this many other characters in a block of 32, the block is copied as
// ASCII and those few are looked up afterwards.
constexpr int kSparse = 10;

void Widen(__m256i b, std::uint16_t* dst) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(b)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 16), _mm256_cvtepu8_epi16(_mm256_extracti128_si256(b, 1)));
}

__m256i Broadcast(const std::uint8_t* row) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row)));
}

// Decodes 32 bytes of any kind through the set's shuffle rows; adds to
// *undefined the lanes whose unit is U+FFFF.
void DecodeShuffled(const ShuffleRows& rows, __m256i b, std::uint16_t* dst, __m256i* undefined) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i row = _mm256_and_si256(_mm256_srli_epi16(b, 4), nibble);
  __m256i low = _mm256_add_epi8(_mm256_shuffle_epi8(Broadcast(rows.lowBase), row), _mm256_and_si256(b, nibble));
  __m256i high = _mm256_shuffle_epi8(Broadcast(rows.highBase), row);
  if (rows.irregularCount != 0) {
    for (int k = 0; k < rows.irregularCount; ++k) {
      // Bytes of another row index past 15 and look up zero.
      const __m256i at = _mm256_adds_epu8(_mm256_sub_epi8(b, _mm256_set1_epi8(static_cast<char>(rows.firstByte[k]))),
                                          _mm256_set1_epi8(0x70));
      low = _mm256_add_epi8(low, _mm256_shuffle_epi8(Broadcast(rows.low[k]), at));
      high = _mm256_or_si256(high, _mm256_shuffle_epi8(Broadcast(rows.high[k]), at));
    }
    *undefined = _mm256_or_si256(*undefined, _mm256_cmpeq_epi8(_mm256_and_si256(low, high), _mm256_set1_epi8(-1)));
  }
  const __m256i first = _mm256_unpacklo_epi8(low, high), second = _mm256_unpackhi_epi8(low, high);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_permute2x128_si256(first, second, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 16), _mm256_permute2x128_si256(first, second, 0x31));
}

// 32 units narrowed to bytes, in order.
__m256i Narrow(__m256i a, __m256i b) { return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8); }

// Bit i set when unit i of the 32 is 0x80 or above.
unsigned NonAsciiUnits(__m256i a, __m256i b) {
  const __m256i notAscii = _mm256_set1_epi16(static_cast<short>(0xFF80));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ascii = _mm256_packs_epi16(_mm256_cmpeq_epi16(_mm256_and_si256(a, notAscii), zero),
                                           _mm256_cmpeq_epi16(_mm256_and_si256(b, notAscii), zero));
  return ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_permute4x64_epi64(ascii, 0xD8)));
}

// Encodes 32 units when each is ASCII or in the run (for sets whose ASCII
// encodes to itself); false leaves dst as it was.
bool EncodeRunBlock(const SingleByteSet& set, __m256i a, __m256i b, std::uint8_t* dst) {
  const __m256i first = _mm256_set1_epi16(static_cast<short>(set.runFirstUnit));
  const __m256i last = _mm256_set1_epi16(static_cast<short>(set.runLength - 1));
  const __m256i delta = _mm256_set1_epi16(static_cast<short>(set.runFirstUnit - set.runFirstByte));
  const __m256i notAscii = _mm256_set1_epi16(static_cast<short>(0xFF80));
  const __m256i zero = _mm256_setzero_si256();
  __m256i bytes[2];
  const __m256i units[2] = {a, b};
  for (int half = 0; half < 2; ++half) {
    const __m256i u = units[half];
    const __m256i inRun = _mm256_cmpeq_epi16(_mm256_subs_epu16(_mm256_sub_epi16(u, first), last), zero);
    const __m256i ascii = _mm256_cmpeq_epi16(_mm256_and_si256(u, notAscii), zero);
    if (static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(inRun, ascii))) != 0xFFFFFFFFu) return false;
    bytes[half] = _mm256_sub_epi16(u, _mm256_and_si256(inRun, delta));
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), Narrow(bytes[0], bytes[1]));
  return true;
}

}  // namespace

bool SingleDecode(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst) {
  __m256i undefined = _mm256_setzero_si256();
  const auto block = [&](const std::uint8_t* in, std::uint16_t* out) {
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    if (_mm256_movemask_epi8(b) == 0) Widen(b, out);
    else DecodeShuffled(*set.rows, b, out, &undefined);
  };
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) block(src + i, dst + i);
  if (i < n && n >= 32) {
    // The last bytes as the end of one more block, over units already written.
    block(src + n - 32, dst + n - 32);
  } else if (i < n) {
    alignas(32) std::uint8_t in[32] = {};
    alignas(32) std::uint16_t out[32];
    std::memcpy(in, src, n);
    block(in, out);
    std::memcpy(dst, out, n * 2);
  }
  return _mm256_movemask_epi8(undefined) != 0;
}

void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  const auto encode = [&](std::size_t at) { dst[at] = set.pages[set.pageOf[src[at] >> 8]][src[at] & 0xFF]; };
  const auto block = [&](std::size_t i) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 16));
    unsigned upper = NonAsciiUnits(a, b);
    if (upper == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Narrow(a, b));
      return;
    }
    if (set.runLength != 0 && EncodeRunBlock(set, a, b, dst + i)) return;
    if (_mm_popcnt_u32(upper) <= kSparse) {
      // A few other units among ASCII: copy all, then look up those.
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Narrow(a, b));
      for (; upper != 0; upper = _blsr_u32(upper)) encode(i + _tzcnt_u32(upper));
    } else {
      for (std::size_t k = 0; k < 32; ++k) encode(i + k);
    }
  };
  std::size_t i = 0;
  if (set.asciiIdentity) {
    for (; n - i >= 32; i += 32) block(i);
    if (i < n && n >= 32) {
      block(n - 32);
      return;
    }
  }
  for (; i < n; ++i) encode(i);
}

// A block of 32 is stored as it is; its ASCII bytes up to the first
// other one stay, and the run of others from there is expanded over the rest.
std::size_t SingleToUtf8(const std::uint32_t* forms, const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::uint32_t* seen) {
  std::size_t i = 0, w = 0;
  while (n - i >= 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + w), v);
    const unsigned high = static_cast<unsigned>(_mm256_movemask_epi8(v));
    if (high == 0) {
      i += 32;
      w += 32;
      continue;
    }
    const std::size_t ascii = _tzcnt_u32(high);
    i += ascii;
    w += ascii;
    ExpandUpperRun(forms, src, &i, n, dst, &w, seen);
  }
  ExpandRest(forms, src, &i, n, dst, &w, seen);
  return w;
}

}  // namespace recodo::kernels::avx2
