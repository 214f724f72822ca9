// Text crossing the POSIX boundary: the system takes and gives UTF-8 bytes.
#pragma once

#include <string>
#include <string_view>

namespace recodo::platform {

// Unpaired surrogates become U+FFFD; the result stops at the first NUL.
std::string Utf16ToUtf8Path(const char16_t* path);
// The same for a text of known length (NULs kept).
std::string Utf16ToUtf8(std::u16string_view text);
// Malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace recodo::platform
