// The wall-clock time where the user is.
#pragma once

#include <ctime>

namespace recodo::platform {

std::tm LocalTime(std::time_t when);

}  // namespace recodo::platform
