#include "platform/process.h"

#include <windows.h>

namespace recodo::platform {

std::uint32_t ProcessId() { return GetCurrentProcessId(); }

}  // namespace recodo::platform
