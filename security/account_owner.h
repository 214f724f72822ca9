// The account side of giving a file to the account a table row names.
#pragma once

#include <cstdint>

#include "base/diagnostic_sink.h"

namespace recodo::ownership {

struct AccountQuery {
  bool taken = false;          // the account exists: its row is the one applied
  std::uint32_t sidSize = 0;   // what the first lookup reported (Windows)
  std::uint32_t domainSize = 0;
  long long uid = -1;          // the account and its group (POSIX)
  long long gid = -1;
};

// The first lookup of the account; prints its failure line.
AccountQuery QueryAccount(const char16_t* account, DiagnosticSink& diagnostics);

// Looks the account up in full, prints its identity and the file's access
// list, and makes it the file's owner.
void GiveFileTo(const char16_t* account, const AccountQuery& query, const char16_t* path,
                DiagnosticSink& diagnostics);

}  // namespace recodo::ownership
