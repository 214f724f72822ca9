#include "platform/win32/advapi.h"

#include <sddl.h>

namespace recodo::platform {

namespace {

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

AdvapiCalls& Advapi() {
  static AdvapiCalls calls{::OpenProcessToken,      ::LookupPrivilegeValueW, ::AdjustTokenPrivileges,
                           ::GetTokenInformation,   ::LookupPrivilegeNameW,  ::LookupAccountNameW,
                           ::LookupAccountSidW,     ::ConvertSidToStringSidW, ::GetNamedSecurityInfoW,
                           ::SetEntriesInAclW,      ::SetNamedSecurityInfoW, ::SetFileSecurityW,
                           ::CloseHandle,           ::LocalFree,             ::GetLastError,
                           !UnderWine()};
  return calls;
}

}  // namespace recodo::platform
