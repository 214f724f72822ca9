// UTF-8 to UTF-16 without vectors: runs of ASCII a word at a time.
#include "engine/kernels/portable/kernels.h"
#include "engine/kernels/portable/words.h"

namespace recodo::kernels::portable {

std::size_t Utf8Measure(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult*) {
  const std::size_t ascii = AsciiBytes(src, len);
  *units += ascii;
  return ascii;
}

std::size_t Utf8Decode(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                       ConvResult*) {
  const std::size_t ascii = AsciiBytes(src, len);
  std::uint16_t* out = dst + *units;
  for (std::size_t i = 0; i < ascii; ++i) out[i] = src[i];
  *units += ascii;
  return ascii;
}

}  // namespace recodo::kernels::portable
