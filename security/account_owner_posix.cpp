#include "account_owner.h"

#include <pwd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/utf16_path.h"
#include "security/helper.h"
#include "security/text.h"

namespace recodo::ownership {

AccountQuery QueryAccount(const char16_t* account, DiagnosticSink& diagnostics) {
  AccountQuery query;
  const std::string name = platform::Utf16ToUtf8Path(account);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  const int error = getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found);
  if (found == nullptr) {
    // Not found is no error to the system's database; it reads as ENOENT.
    diagnostics.Write(u"LookupAccountName for user \"" + std::u16string(account) + u"\" failed with error code " +
                      security::Decimal(error != 0 ? error : ENOENT) + u"\n");
    return query;
  }
  query.taken = true;
  query.uid = entry.pw_uid;
  query.gid = entry.pw_gid;
  return query;
}

void GiveFileTo(const char16_t* account, const AccountQuery& query, const char16_t* path,
                DiagnosticSink& diagnostics) {
  diagnostics.Write(u"User \"" + std::u16string(account) + u"\" is uid " + security::Decimal(query.uid) + u"\n");
  diagnostics.Write(u"Access control lists do not apply on this platform\n");
  platform::Account owner;
  owner.uid = query.uid;
  owner.gid = query.gid;
  TakeOwnerShip(path, owner, diagnostics);
}

}  // namespace recodo::ownership
