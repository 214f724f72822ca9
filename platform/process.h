// The running process, as the system numbers it.
#pragma once

#include <cstdint>

namespace recodo::platform {

std::uint32_t ProcessId();

}  // namespace recodo::platform
