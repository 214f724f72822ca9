#include "platform/process.h"

#include <unistd.h>

namespace recodo::platform {

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace recodo::platform
