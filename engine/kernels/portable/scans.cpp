// Searches over text without vectors: a word at a time.
#include "engine/kernels/portable/kernels.h"
#include "engine/kernels/portable/words.h"

namespace recodo::kernels::portable {

std::size_t AsciiPrefix(const std::uint8_t* src, std::size_t n) {
  std::size_t i = AsciiBytes(src, n);
  while (i < n && src[i] < 0x80) ++i;
  return i;
}

bool AnySurrogate(const std::uint16_t* src, std::size_t n) {
  constexpr std::uint64_t kTop5 = 0xF800F800F800F800, kSurrogate = 0xD800D800D800D800;
  constexpr std::uint64_t kOnes = 0x0001000100010001, kHighs = 0x8000800080008000;
  std::uint64_t found = 0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    // A surrogate lane becomes zero; the usual test for a zero lane.
    const std::uint64_t x = (Load64(src + i) & kTop5) ^ kSurrogate;
    found |= (x - kOnes) & ~x & kHighs;
  }
  for (; i < n; ++i) found |= (src[i] & 0xF800) == 0xD800;
  return found != 0;
}

std::size_t AsciiWiden(const std::uint8_t* src, std::size_t n, std::uint16_t* dst) {
  const std::size_t ascii = AsciiPrefix(src, n);
  for (std::size_t i = 0; i < ascii; ++i) dst[i] = src[i];
  return ascii;
}

std::size_t AsciiNarrow(const std::uint16_t* src, std::size_t n, std::uint8_t* dst) {
  std::size_t i = 0;
  for (; i < n && src[i] < 0x80; ++i) dst[i] = static_cast<std::uint8_t>(src[i]);
  return i;
}

}  // namespace recodo::kernels::portable
