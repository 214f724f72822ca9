// Error codes of the system and their texts as the system words them.
#pragma once

#include <cstdint>
#include <string>

namespace recodo::platform {

using ErrorCode = std::uint32_t;

// The code of the last failed call on this thread.
ErrorCode LastError();

// The system's description of a code, ending with a line break.
std::u16string SystemErrorText(ErrorCode code);

// Codes for failures the program finds itself.
ErrorCode FileTooLargeError();  // a source of 4 GiB or more
ErrorCode ShortReadError();     // a file that ended before its size
ErrorCode NameTooLongError();   // a path that does not fit its buffer

}  // namespace recodo::platform
