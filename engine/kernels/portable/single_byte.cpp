// The single-byte codecs without vectors: one table lookup a character.
#include <cstring>

#include "engine/kernels/portable/kernels.h"
#include "engine/kernels/utf8_forms.h"

namespace recodo::kernels::portable {

bool SingleDecode(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst) {
  bool undefined = false;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t unit = set.decode[src[i]];
    dst[i] = unit;
    undefined |= unit == UndefinedUnit;
  }
  return undefined;
}

void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  for (std::size_t i = 0; i < n; ++i) dst[i] = set.pages[set.pageOf[src[i] >> 8]][src[i] & 0xFF];
}

// Eight ASCII bytes at a time are copied as they are.
std::size_t SingleToUtf8(const std::uint32_t* forms, const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                         std::uint32_t* seen) {
  std::size_t i = 0, w = 0;
  while (n - i >= 8) {
    std::uint64_t word;
    std::memcpy(&word, src + i, 8);
    std::memcpy(dst + w, &word, 8);
    if ((word & 0x8080808080808080u) == 0) {
      i += 8;
      w += 8;
      continue;
    }
    while (src[i] < 0x80) ++i, ++w;  // copied with the word
    ExpandUpperRun(forms, src, &i, n, dst, &w, seen);
  }
  ExpandRest(forms, src, &i, n, dst, &w, seen);
  return w;
}

}  // namespace recodo::kernels::portable
