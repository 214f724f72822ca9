#include "platform/utf16_path.h"

#include <cstdint>

#include "base/surrogates.h"
#include "base/utf8_text.h"

namespace recodo::platform {
namespace {

constexpr char16_t kCarriedBase = 0xDC00;

bool IsCarriedByte(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

}  // namespace

std::u16string PathFromSystem(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    std::uint32_t value = 0;
    const std::size_t length = WellFormedUtf8(bytes, i, &value);
    if (length == 0) {
      // A byte of no well-formed sequence travels as a lone unit.
      out += static_cast<char16_t>(kCarriedBase + static_cast<std::uint8_t>(bytes[i]));
      ++i;
      continue;
    }
    AppendUtf16(out, value);
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
    out += Utf8Of(text.substr(run, i - run));
    out += static_cast<char>(text[i] - kCarriedBase);
    run = i + 1;
  }
  if (run == 0) return Utf8Of(text);
  return out + Utf8Of(text.substr(run));
}

std::string Utf16ToUtf8(std::u16string_view text) { return Utf8Of(text); }

std::u16string Utf8ToUtf16(std::string_view text) { return Utf16Of(text); }

}  // namespace recodo::platform
