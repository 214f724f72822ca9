// The bytes a filter reads and writes: the process's standard input and
// standard output as they are, no text mode, no character set.
#pragma once

#include <cstddef>

#include "platform/system_error.h"

namespace recodo::platform {

// At start, before anything is opened: the standard descriptors the
// process was started without are opened on the null device, so that no
// file the program opens later takes one of their numbers (and its output
// or its messages). Standard input and output stay refused to the data
// they were meant for: reading or writing there fails as it does on a
// closed descriptor.
void GuardStandardDescriptors();

// Reads up to `capacity` bytes; *got is 0 at the end of the input (a closed
// pipe included).
bool ReadStandardInput(void* buffer, std::size_t capacity, std::size_t* got, ErrorCode* error);

// Writes all bytes, or fails.
bool WriteStandardOutput(const void* data, std::size_t length, ErrorCode* error);

}  // namespace recodo::platform
