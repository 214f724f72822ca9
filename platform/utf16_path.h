// Text crossing the POSIX boundary: the system takes and gives UTF-8 bytes.
// File names need not be UTF-8 (old archives hold Latin-1 names), so paths
// cross without loss: each byte that is no part of a well-formed sequence
// travels as the lone unit U+DC00 + byte and turns back into that byte.
#pragma once

#include <string>
#include <string_view>

namespace recodo::platform {

// A name or path from the system, every byte kept.
std::u16string PathFromSystem(std::string_view bytes);
// A path for the system: carried bytes come back; any other unpaired
// surrogate becomes U+FFFD. The result stops at the first NUL.
std::string Utf16ToUtf8Path(const char16_t* path);

// Text for people (messages, the log): unpaired surrogates, carried bytes
// among them, show as U+FFFD. NULs are kept.
std::string Utf16ToUtf8(std::u16string_view text);
// Malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace recodo::platform
