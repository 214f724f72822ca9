// Giving a file to an account.
#pragma once

#include "base/diagnostic_sink.h"
#include "platform/account.h"

namespace recodo {

// Makes the account the owner of the file; on Windows its explicit access
// rules are first replaced by full control for the account. True when every
// call succeeded; each failure is one line in `diagnostics`.
bool TakeOwnerShip(const char16_t* path, const platform::Account& account, DiagnosticSink& diagnostics);

}  // namespace recodo
