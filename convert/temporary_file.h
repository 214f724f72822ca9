// The file a result is written into before it takes its destination's place.
#pragma once

#include <string>

#include "platform/system_error.h"
#include "platform/writable_file.h"

namespace recodo {

// Creates a new file beside the destination, "~recodo<process id>-<n>.tmp".
// The process id keeps runs at once apart; a name taken all the same (an
// old leftover, another program) is passed over, never reused: `counter`
// numbers the names tried.
bool CreateTemporaryBeside(const char16_t* destinationPath, unsigned* counter, platform::WritableFile& file,
                           std::u16string* path, platform::ErrorCode* error);

// Gives an unnamed file such a name.
bool NameTemporaryBeside(const char16_t* destinationPath, unsigned* counter, platform::WritableFile& file,
                         std::u16string* path, platform::ErrorCode* error);

}  // namespace recodo
