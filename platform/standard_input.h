// The bytes a process was given on its standard input.
#pragma once

#include <cstdint>

namespace recodo::platform {

// Reads up to `capacity` bytes; *read is 0 at the end of the input. False
// when there is no input to read or a read failed.
bool ReadStandardInput(void* buffer, std::uint32_t capacity, std::uint32_t* read);

}  // namespace recodo::platform
