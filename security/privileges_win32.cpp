#include "privileges.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/advapi.h"
#include "security/text.h"

namespace recodo {
namespace {

using security::Decimal;

const wchar_t* const kPrivileges[] = {L"SeTakeOwnershipPrivilege", L"SeTcbPrivilege", L"SeBackupPrivilege",
                                      L"SeRestorePrivilege"};

std::u16string StateLine(const wchar_t* name, DWORD attributes) {
  const std::u16string privilege(reinterpret_cast<const char16_t*>(name));
  const bool byDefault = attributes & SE_PRIVILEGE_ENABLED_BY_DEFAULT;
  const bool enabled = attributes & SE_PRIVILEGE_ENABLED;
  const char16_t* state = byDefault ? (enabled ? u"ENABLED (DEFAULT ENABLED)" : u"DISABLED (DEFAULT ENABLED)")
                          : enabled ? u"ENABLED"
                          : (attributes & SE_PRIVILEGE_REMOVED) ? u"REMOVED"
                                                                : u"DISABLED";
  return u"Privileges: " + privilege + u" = " + state + u"\n";
}

}  // namespace

void AdjustProcessPrivileges(DiagnosticSink& diagnostics) {
  platform::AdvapiCalls& api = platform::Advapi();
  HANDLE token = nullptr;
  api.OpenProcessToken(GetCurrentProcess(), TOKEN_READ | TOKEN_ADJUST_PRIVILEGES, &token);

  // Four entries in one record: 4 + 4 × 12 bytes, in a 64-byte buffer.
  auto* record = static_cast<TOKEN_PRIVILEGES*>(std::calloc(1, 64));
  if (record != nullptr) {
    record->PrivilegeCount = 4;
    for (int i = 0; i < 4; ++i) {
      api.LookupPrivilegeValueW(nullptr, kPrivileges[i], &record->Privileges[i].Luid);
      record->Privileges[i].Attributes = SE_PRIVILEGE_ENABLED;
    }
    if (!api.AdjustTokenPrivileges(token, FALSE, record, 4 * 12 + 16, nullptr, nullptr))
      diagnostics.Write(u"AdjustTokenPrivileges failed with error code " + Decimal(api.GetLastError()) + u"\n");
  }

  DWORD size = 0;
  if (!api.GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size)) {
    const DWORD error = api.GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) {
      diagnostics.Write(u"GetTokenInformation: Failed with error code " + Decimal(error) + u"\n");
    } else if (auto* list = static_cast<TOKEN_PRIVILEGES*>(std::malloc(size))) {
      if (!api.GetTokenInformation(token, TokenPrivileges, list, size, &size)) {
        diagnostics.Write(u"GetTokenInformation: Failed with error code " + Decimal(api.GetLastError()) + u"\n");
      } else {
        for (DWORD i = 0; i < list->PrivilegeCount; ++i) {
          wchar_t name[128] = {};
          DWORD capacity = 128;
          api.LookupPrivilegeNameW(nullptr, &list->Privileges[i].Luid, name, &capacity);
          diagnostics.Write(StateLine(name, list->Privileges[i].Attributes));
        }
      }
      std::free(list);
    }
  }
  std::free(record);
  if (token != nullptr) api.CloseHandle(token);
}

}  // namespace recodo
