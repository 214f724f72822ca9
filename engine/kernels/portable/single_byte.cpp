// The single-byte codecs without vectors: one table lookup a character.
#include "engine/kernels/portable/kernels.h"

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

}  // namespace recodo::kernels::portable
