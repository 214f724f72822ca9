// Which UTF-16 units the system counts as letters or digits.
#pragma once

#include <cstdint>

namespace recodo::platform {

// As Windows' iswalnum classifies them, on every platform.
bool IsAlphanumeric(std::uint16_t unit);

}  // namespace recodo::platform
