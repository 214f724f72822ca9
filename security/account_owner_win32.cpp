#include "account_owner.h"

#include <windows.h>
#include <aclapi.h>

#include <memory>
#include <string>

#include "platform/win32/advapi.h"
#include "security/dacl_dump.h"
#include "security/helper.h"
#include "security/text.h"

namespace recodo::ownership {
namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

void LookupFailed(const char16_t* account, DWORD error, DiagnosticSink& diagnostics) {
  diagnostics.Write(u"LookupAccountName for user \"" + std::u16string(account) + u"\" failed with error code " +
                    security::Decimal(error) + u"\n");
}

}  // namespace

AccountQuery QueryAccount(const char16_t* account, DiagnosticSink& diagnostics) {
  platform::AdvapiCalls& api = platform::Advapi();
  AccountQuery query;
  DWORD sidSize = 0, domainSize = 0;
  SID_NAME_USE use;
  const BOOL ok = api.LookupAccountNameW(nullptr, W(account), nullptr, &sidSize, nullptr, &domainSize, &use);
  const DWORD error = ok ? ERROR_SUCCESS : api.GetLastError();
  if (ok || error == ERROR_INSUFFICIENT_BUFFER) {
    query.taken = true;
    query.sidSize = sidSize;
    query.domainSize = domainSize;
  } else {
    LookupFailed(account, error, diagnostics);
  }
  return query;
}

void GiveFileTo(const char16_t* account, const AccountQuery& query, const char16_t* path,
                DiagnosticSink& diagnostics) {
  platform::AdvapiCalls& api = platform::Advapi();
  std::unique_ptr<BYTE[]> sid(new BYTE[query.sidSize + 1]());
  std::unique_ptr<wchar_t[]> domain(new wchar_t[query.domainSize + 1]());
  DWORD sidSize = query.sidSize, domainSize = query.domainSize;
  SID_NAME_USE use;
  if (!api.LookupAccountNameW(nullptr, W(account), sid.get(), &sidSize, domain.get(), &domainSize, &use)) {
    LookupFailed(account, api.GetLastError(), diagnostics);
    return;
  }
  wchar_t* sidText = nullptr;
  if (api.ConvertSidToStringSidW(sid.get(), &sidText)) {
    diagnostics.Write(u"SID for user \"" + std::u16string(account) + u"\" is \"" +
                      reinterpret_cast<const char16_t*>(sidText) + u"\"\n");
    api.LocalFree(sidText);
  }
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (api.GetNamedSecurityInfoW(W(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                                &descriptor) == ERROR_SUCCESS &&
      dacl != nullptr)
    DumpDacl(dacl, diagnostics);
  if (descriptor != nullptr) api.LocalFree(descriptor);
  platform::Account owner;
  owner.sid = sid.get();
  TakeOwnerShip(path, owner, diagnostics);
}

}  // namespace recodo::ownership
