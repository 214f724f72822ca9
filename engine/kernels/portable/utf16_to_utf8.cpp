// UTF-16 to UTF-8 without vectors.
#include "engine/kernels/portable/kernels.h"
#include "engine/kernels/portable/words.h"

namespace recodo::kernels::portable {

std::uint64_t Utf8Size(const std::uint16_t* src, std::size_t n) {
  std::uint64_t size = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint16_t w = src[i];
    // A surrogate counts 4 on its own: a pair 8, a lone one (3 as U+FFFD) 4.
    size += w < 0x80 ? 1 : w < 0x800 ? 2 : (w & 0xF800) == 0xD800 ? 4 : 3;
  }
  return size;
}

std::size_t Utf8Encode(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                       std::size_t* p) {
  std::size_t ascii = AsciiUnits(src, n);
  if (ascii > capacity - *p) ascii = capacity - *p;
  std::uint8_t* out = dst + *p;
  for (std::size_t i = 0; i < ascii; ++i) out[i] = static_cast<std::uint8_t>(src[i]);
  *p += ascii;
  return ascii;
}

}  // namespace recodo::kernels::portable
