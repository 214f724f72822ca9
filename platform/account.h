// An account as the system names it when a file is given to it.
#pragma once

namespace recodo::platform {

struct Account {
#if defined(_WIN32)
  void* sid = nullptr;  // the account's security identifier
#else
  long long uid = -1;  // the user, and the group its files take
  long long gid = -1;
#endif
};

}  // namespace recodo::platform
