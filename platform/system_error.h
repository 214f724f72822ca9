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

// True for the failure of an exclusive create on a name already taken.
bool IsNameTaken(ErrorCode code);
// True for a request the file system or the system has no way to meet.
bool IsNotSupported(ErrorCode code);

// Codes for failures the program finds itself.
ErrorCode ShortReadError();     // a file that ended before its size
ErrorCode NameTooLongError();   // a path that does not fit its buffer
ErrorCode PathNotFoundError();  // a folder that does not exist
ErrorCode OutOfMemoryError();   // memory the program could not get
// A folder, device, pipe or socket where a file was meant: a code of the
// program's own, outside the system's ranges on both sides.
inline constexpr ErrorCode NotRegularFileError() { return 0x20000001; }
// A link that someone other than the folder's owner and the user put in a
// folder all may write into and only owners delete from (/tmp).
inline constexpr ErrorCode PlantedLinkError() { return 0x20000002; }

}  // namespace recodo::platform
