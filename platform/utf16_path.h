// UTF-16 paths as the POSIX side hands them to the system: UTF-8 bytes.
#pragma once

#include <string>

namespace recodo::platform {

// Unpaired surrogates become U+FFFD; the result stops at the first NUL.
std::string Utf16ToUtf8Path(const char16_t* path);

}  // namespace recodo::platform
