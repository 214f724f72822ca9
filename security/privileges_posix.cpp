#include "privileges.h"

namespace recodo {

void AdjustProcessPrivileges(DiagnosticSink& diagnostics) {
  diagnostics.Write(u"Privileges: process privileges do not apply on this platform\n");
}

}  // namespace recodo
