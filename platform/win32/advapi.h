// The security calls of the system, reached through one table so that tests
// can put a recording stand-in in their place. Wine accepts these calls but
// keeps nothing they set.
#pragma once

#include <windows.h>
#include <aclapi.h>

namespace recodo::platform {

struct AdvapiCalls {
  BOOL(WINAPI* OpenProcessToken)(HANDLE, DWORD, PHANDLE);
  BOOL(WINAPI* LookupPrivilegeValueW)(LPCWSTR, LPCWSTR, PLUID);
  BOOL(WINAPI* AdjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
  BOOL(WINAPI* GetTokenInformation)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  BOOL(WINAPI* LookupPrivilegeNameW)(LPCWSTR, PLUID, LPWSTR, LPDWORD);
  BOOL(WINAPI* LookupAccountNameW)(LPCWSTR, LPCWSTR, PSID, LPDWORD, LPWSTR, LPDWORD, PSID_NAME_USE);
  BOOL(WINAPI* LookupAccountSidW)(LPCWSTR, PSID, LPWSTR, LPDWORD, LPWSTR, LPDWORD, PSID_NAME_USE);
  BOOL(WINAPI* ConvertSidToStringSidW)(PSID, LPWSTR*);
  DWORD(WINAPI* GetNamedSecurityInfoW)(LPCWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*, PACL*,
                                       PSECURITY_DESCRIPTOR*);
  DWORD(WINAPI* SetEntriesInAclW)(ULONG, PEXPLICIT_ACCESS_W, PACL, PACL*);
  DWORD(WINAPI* SetNamedSecurityInfoW)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
  BOOL(WINAPI* SetFileSecurityW)(LPCWSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR);
  BOOL(WINAPI* CloseHandle)(HANDLE);
  HLOCAL(WINAPI* LocalFree)(HLOCAL);
  DWORD(WINAPI* GetLastError)();
  // Whether an access list set on a file is kept as it was set. Wine turns
  // it into the host's permission bits, giving the group whatever the owner
  // may: a list carried over from a private file would then widen it.
  bool keepsAccessLists;
};

// The system's functions, unless a test has put others in.
AdvapiCalls& Advapi();

}  // namespace recodo::platform
