// A seam for tests that make file operations fail: with a hook installed,
// every create, read, write, flush, rename and delete asks it first.
#pragma once

#include "platform/system_error.h"

namespace recodo::platform {

// ShortRead: a read gives fewer bytes than it could, as reads may.
// CreateUnnamed: the file system refuses files without a name (O_TMPFILE).
enum class FileOperation { Create, Read, Write, Flush, Rename, Delete, List, ShortRead, CreateUnnamed };

class FaultHook {
 public:
  virtual ~FaultHook() = default;
  // True when this operation is to fail, with the error to report.
  virtual bool Fail(FileOperation operation, ErrorCode* error) = 0;
};

// Null (the default) means no faults.
void SetFaultHook(FaultHook* hook);

// Asks the hook, if any; sets the system's last error on a failure.
bool InjectedFault(FileOperation operation, ErrorCode* error);

}  // namespace recodo::platform
