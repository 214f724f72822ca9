#include "platform/utf16_path.h"

#include <cstdint>

#include "base/surrogates.h"
#include "recodo/recodo.h"

namespace recodo::platform {
namespace {

constexpr char16_t kCarriedBase = 0xDC00;

bool IsCarriedByte(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

// The length of the well-formed sequence at `i`, with its value; 0 when the
// byte there starts none (overlong forms, surrogates and values past
// U+10FFFF included, so that they too come back as the bytes they were).
std::size_t WellFormed(std::string_view text, std::size_t i, std::uint32_t* value) {
  const auto b = static_cast<std::uint8_t>(text[i]);
  std::size_t length;
  std::uint32_t least;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, least = 0x80, *value = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, least = 0x800, *value = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, least = 0x10000, *value = b & 0x07;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<std::uint8_t>(text[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    *value = (*value << 6) | (c & 0x3F);
  }
  if (*value < least || *value > 0x10FFFF || IsSurrogate(*value)) return 0;
  return length;
}

}  // namespace

std::u16string PathFromSystem(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<std::uint8_t>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    std::uint32_t value = 0;
    const std::size_t length = WellFormed(bytes, i, &value);
    if (length == 0) {
      out += static_cast<char16_t>(kCarriedBase + b);
      ++i;
      continue;
    }
    if (value >= 0x10000) {
      out += static_cast<char16_t>(HighSurrogateOf(value));
      out += static_cast<char16_t>(LowSurrogateOf(value));
    } else {
      out += static_cast<char16_t>(value);
    }
    i += length;
  }
  return out;
}

std::string Utf16ToUtf8Path(const char16_t* path) {
  const std::u16string_view text(path);
  std::string out;
  std::size_t run = 0;  // start of the units not yet encoded
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A carried byte is a lone low surrogate: after a high one it is the
    // second half of a pair.
    if (!IsCarriedByte(text[i]) || (i != 0 && IsHighSurrogate(text[i - 1]))) continue;
    out += Utf16ToUtf8(text.substr(run, i - run));
    out += static_cast<char>(text[i] - kCarriedBase);
    run = i + 1;
  }
  if (run == 0) return Utf16ToUtf8(text);
  return out + Utf16ToUtf8(text.substr(run));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  // The engine's own encoder: a size that bounds the text, then the text
  // (a lone surrogate becomes U+FFFD).
  const auto* units = reinterpret_cast<const std::uint16_t*>(text.data());
  const auto length = static_cast<std::uint32_t>(text.size() * 2);
  std::uint32_t size = 0;
  ConvertDoubleByteToUtf8(units, length, nullptr, &size);
  if (size == 0) return {};
  std::string out(size, '\0');
  ConvertDoubleByteToUtf8(units, length, reinterpret_cast<std::uint8_t*>(out.data()), &size);
  out.resize(size);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  // The engine's own decoder: the measuring pass first, then the text.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::uint32_t>(text.size());
  std::uint32_t size = 0;
  ConvertUtf8ToDoubleByte(bytes, length, nullptr, &size);
  std::u16string out(size / 2, u'\0');
  ConvertUtf8ToDoubleByte(bytes, length, reinterpret_cast<std::uint16_t*>(out.data()), &size);
  out.resize(size / 2);
  return out;
}

}  // namespace recodo::platform
