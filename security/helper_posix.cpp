#include "helper.h"

#include <unistd.h>

#include <cerrno>

#include "driver/output.h"
#include "platform/utf16_path.h"
#include "security/text.h"

namespace recodo {

bool TakeOwnerShip(const char16_t* path, long long uid, long long gid) {
  if (chown(platform::Utf16ToUtf8Path(path).c_str(), static_cast<uid_t>(uid), static_cast<gid_t>(gid)) == 0)
    return true;
  PrintDiagnostic(u"helper.TakeOwnerShip:" + security::Decimal(__LINE__ - 2) + u" - chown: Failed with error " +
                  security::Decimal(errno) + u"\n");
  return false;
}

}  // namespace recodo
