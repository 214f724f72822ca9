// UTF-8 for short texts that cross to and from the system: messages, names.
// The engine converts files; these few lines serve the layers under it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/surrogates.h"

namespace recodo {

// The length of the well-formed sequence at `i`, with its value; 0 when the
// byte there starts none (overlong forms, surrogates and values past
// U+10FFFF included).
inline std::size_t WellFormedUtf8(std::string_view text, std::size_t i, std::uint32_t* value) {
  const auto b = static_cast<std::uint8_t>(text[i]);
  std::size_t length;
  std::uint32_t least;
  if (b < 0x80) {
    *value = b;
    return 1;
  }
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

// Appends one character as UTF-16.
inline void AppendUtf16(std::u16string& out, std::uint32_t value) {
  if (value >= 0x10000) {
    out += static_cast<char16_t>(HighSurrogateOf(value));
    out += static_cast<char16_t>(LowSurrogateOf(value));
  } else {
    out += static_cast<char16_t>(value);
  }
}

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
inline std::string Utf8Of(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t value = text[i];
    if (IsHighSurrogate(value) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      value = 0x10000 + ((value - 0xD800) << 10) + (text[++i] - 0xDC00u);
    } else if (IsSurrogate(value)) {
      value = 0xFFFD;
    }
    if (value < 0x80) {
      out += static_cast<char>(value);
    } else if (value < 0x800) {
      out += static_cast<char>(0xC0 | (value >> 6));
      out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
      out += static_cast<char>(0xE0 | (value >> 12));
      out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (value >> 18));
      out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (value & 0x3F));
    }
  }
  return out;
}

// UTF-8 as UTF-16; a byte that starts no well-formed character becomes
// U+FFFD.
inline std::u16string Utf16Of(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t value = 0;
    const std::size_t length = WellFormedUtf8(text, i, &value);
    AppendUtf16(out, length == 0 ? 0xFFFD : value);
    i += length == 0 ? 1 : length;
  }
  return out;
}

}  // namespace recodo
