// Byte swapping and the search for units without vectors.
#include "engine/kernels/portable/kernels.h"
#include "engine/kernels/portable/words.h"

namespace recodo::kernels::portable {

void SwapBytes(std::uint16_t* buffer, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<std::uint16_t>((buffer[i] << 8) | (buffer[i] >> 8));
}

std::size_t UnitsBefore(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b) {
  std::size_t i = 0;
  while (i < n && src[i] != a && src[i] != b) ++i;
  return i;
}

}  // namespace recodo::kernels::portable
