// The privileges a run needs to give files to other accounts.
#pragma once

#include "base/diagnostic_sink.h"

namespace recodo {

// Enables the four privileges in the process token and writes the token's
// privilege list to `diagnostics`; never fails towards the caller.
void AdjustProcessPrivileges(DiagnosticSink& diagnostics);

}  // namespace recodo
