#include "platform/fault_injection.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#endif

namespace recodo::platform {
namespace {

FaultHook* hook = nullptr;

}  // namespace

void SetFaultHook(FaultHook* newHook) { hook = newHook; }

bool InjectedFault(FileOperation operation, ErrorCode* error) {
  if (hook == nullptr) return false;
  ErrorCode code = 0;
  if (!hook->Fail(operation, &code)) return false;
#if defined(_WIN32)
  SetLastError(code);
#else
  errno = static_cast<int>(code);
#endif
  if (error != nullptr) *error = code;
  return true;
}

}  // namespace recodo::platform
