#include "platform/utf16_path.h"

#include <cstdint>

#include "recodo/recodo.h"

namespace recodo::platform {

std::string Utf16ToUtf8Path(const char16_t* path) {
  return Utf16ToUtf8(std::u16string_view(path));
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
