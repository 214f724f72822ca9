#include "helper.h"

#include <windows.h>
#include <aclapi.h>

#include <string>

#include "platform/win32/advapi.h"
#include "security/text.h"

namespace recodo {
namespace {

// "helper.TakeOwnerShip:<line> - <call>: Failed with error <code>"
void Report(DiagnosticSink& diagnostics, int line, const char16_t* call, DWORD error) {
  diagnostics.Write(u"helper.TakeOwnerShip:" + security::Decimal(line) + u" - " + call + u": Failed with error " +
                    security::Decimal(error) + u"\n");
}

}  // namespace

bool TakeOwnerShip(const char16_t* path, const platform::Account& account, DiagnosticSink& diagnostics) {
  void* const sid = account.sid;
  platform::AdvapiCalls& api = platform::Advapi();
  auto* target = reinterpret_cast<wchar_t*>(const_cast<char16_t*>(path));
  bool failed = false;

  EXPLICIT_ACCESS_W access{};
  access.grfAccessPermissions = GENERIC_ALL | WRITE_DAC | WRITE_OWNER;
  access.grfAccessMode = SET_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_USER;
  access.Trustee.ptstrName = static_cast<LPWSTR>(sid);
  PACL acl = nullptr;
  DWORD status = api.SetEntriesInAclW(1, &access, nullptr, &acl);
  if (status != ERROR_SUCCESS) {
    Report(diagnostics, __LINE__, u"SetEntriesInAcl", status);
    failed = true;
  } else {
    status = api.SetNamedSecurityInfoW(target, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                                       nullptr);
    if (status != ERROR_SUCCESS) {
      Report(diagnostics, __LINE__, u"SetNamedSecurityInfo(SET ACL)", status);
      failed = true;
    }
    api.LocalFree(acl);
  }
  status = api.SetNamedSecurityInfoW(target, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, static_cast<PSID>(sid),
                                     nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) {
    Report(diagnostics, __LINE__, u"SetNamedSecurityInfo(TAKE OWNERSHIP)", status);
    failed = true;
  }
  return !failed;
}

}  // namespace recodo
