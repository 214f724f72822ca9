// The single-byte codecs with AVX2: ASCII and a set's linear run a block of
// 32 at a time, a few other characters in a block looked up one by one.
#include <immintrin.h>

#include "engine/kernels/avx2/kernels.h"

namespace recodo::kernels::avx2 {
namespace {

// Up to this many other characters in a block of 32, the block is copied as
// ASCII and those few are looked up afterwards.
constexpr int kSparse = 10;

void Widen(__m256i b, std::uint16_t* dst) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(b)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 16), _mm256_cvtepu8_epi16(_mm256_extracti128_si256(b, 1)));
}

// Decodes 32 bytes when each is ASCII or in the run; false leaves dst as it was.
bool DecodeRunBlock(const SingleByteSet& set, __m256i b, std::uint16_t* dst) {
  const __m256i offset = _mm256_sub_epi8(b, _mm256_set1_epi8(static_cast<char>(set.runFirstByte)));
  const __m256i inRun =
      _mm256_cmpeq_epi8(_mm256_min_epu8(offset, _mm256_set1_epi8(static_cast<char>(set.runLength - 1))), offset);
  const __m256i ascii = _mm256_cmpgt_epi8(b, _mm256_set1_epi8(-1));
  if (static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(inRun, ascii))) != 0xFFFFFFFFu) return false;
  const __m256i delta = _mm256_set1_epi16(static_cast<short>(set.runFirstUnit - set.runFirstByte));
  for (int half = 0; half < 2; ++half) {
    const __m128i bytes = half ? _mm256_extracti128_si256(b, 1) : _mm256_castsi256_si128(b);
    const __m128i run = half ? _mm256_extracti128_si256(inRun, 1) : _mm256_castsi256_si128(inRun);
    const __m256i units = _mm256_add_epi16(_mm256_cvtepu8_epi16(bytes), _mm256_and_si256(_mm256_cvtepi8_epi16(run), delta));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 16 * half), units);
  }
  return true;
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
  // Only looked-up units can be U+FFFF: ASCII and runs never are.
  bool undefined = false;
  const auto lookUp = [&](std::size_t at) {
    const std::uint16_t unit = set.decode[src[at]];
    dst[at] = unit;
    undefined |= unit == UndefinedUnit;
  };
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    unsigned upper = static_cast<unsigned>(_mm256_movemask_epi8(b));
    if (upper == 0) {
      Widen(b, dst + i);
      continue;
    }
    if (set.runLength != 0 && DecodeRunBlock(set, b, dst + i)) continue;
    if (_mm_popcnt_u32(upper) <= kSparse) {
      // A few upper bytes among ASCII: widen all, then look up those.
      Widen(b, dst + i);
      for (; upper != 0; upper = _blsr_u32(upper)) lookUp(i + _tzcnt_u32(upper));
    } else {
      for (std::size_t k = 0; k < 32; ++k) lookUp(i + k);
    }
  }
  if (n - i >= 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    unsigned upper = static_cast<unsigned>(_mm_movemask_epi8(b));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_cvtepu8_epi16(b));
    for (; upper != 0; upper = _blsr_u32(upper)) lookUp(i + _tzcnt_u32(upper));
    i += 16;
  }
  for (; i < n; ++i) lookUp(i);
  return undefined;
}

void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  const auto encode = [&](std::size_t at) { dst[at] = set.pages[set.pageOf[src[at] >> 8]][src[at] & 0xFF]; };
  std::size_t i = 0;
  if (set.asciiIdentity) {
    for (; n - i >= 32; i += 32) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 16));
      unsigned upper = NonAsciiUnits(a, b);
      if (upper == 0) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Narrow(a, b));
        continue;
      }
      if (set.runLength != 0 && EncodeRunBlock(set, a, b, dst + i)) continue;
      if (_mm_popcnt_u32(upper) <= kSparse) {
        // A few other units among ASCII: copy all, then look up those.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), Narrow(a, b));
        for (; upper != 0; upper = _blsr_u32(upper)) encode(i + _tzcnt_u32(upper));
      } else {
        for (std::size_t k = 0; k < 32; ++k) encode(i + k);
      }
    }
  }
  for (; i < n; ++i) encode(i);
}

}  // namespace recodo::kernels::avx2
