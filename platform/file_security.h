// A file's owner and access list, carried from a source to its destination.
#pragma once

#include <memory>

namespace recodo::platform {

class CapturedSecurity {
 public:
  virtual ~CapturedSecurity() = default;
};

// Null when the source's security cannot be read.
std::unique_ptr<CapturedSecurity> CaptureSecurity(const char16_t* path);
// Access list first, then owner; failures are not reported.
void ApplySecurity(const char16_t* path, const CapturedSecurity& security, bool dacl, bool owner);

}  // namespace recodo::platform
