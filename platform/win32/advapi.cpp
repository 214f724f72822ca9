#include "platform/win32/advapi.h"

#include <sddl.h>

namespace recodo::platform {

AdvapiCalls& Advapi() {
  static AdvapiCalls calls{::OpenProcessToken,      ::LookupPrivilegeValueW, ::AdjustTokenPrivileges,
                           ::GetTokenInformation,   ::LookupPrivilegeNameW,  ::LookupAccountNameW,
                           ::LookupAccountSidW,     ::ConvertSidToStringSidW, ::GetNamedSecurityInfoW,
                           ::SetEntriesInAclW,      ::SetNamedSecurityInfoW, ::SetFileSecurityW,
                           ::CloseHandle,           ::LocalFree,             ::GetLastError};
  return calls;
}

}  // namespace recodo::platform
