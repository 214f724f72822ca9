#include "platform/utf16_path.h"

#include <cstdint>

#include "recodo/recodo.h"

namespace recodo::platform {

std::string Utf16ToUtf8Path(const char16_t* path) {
  return Utf16ToUtf8(std::u16string_view(path));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
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
