#include "helper.h"

#include <unistd.h>

#include <cerrno>

#include "platform/utf16_path.h"
#include "security/text.h"

namespace recodo {

bool TakeOwnerShip(const char16_t* path, const platform::Account& account, DiagnosticSink& diagnostics) {
  if (chown(platform::Utf16ToUtf8Path(path).c_str(), static_cast<uid_t>(account.uid),
            static_cast<gid_t>(account.gid)) == 0)
    return true;
  diagnostics.Write(u"helper.TakeOwnerShip:" + security::Decimal(__LINE__ - 3) + u" - chown: Failed with error " +
                    security::Decimal(errno) + u"\n");
  return false;
}

}  // namespace recodo
