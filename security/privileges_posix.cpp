#include "privileges.h"

#include "driver/output.h"

namespace recodo {

void AdjustProcessPrivileges() {
  PrintDiagnostic(u"Privileges: process privileges do not apply on this platform\n");
}

}  // namespace recodo
