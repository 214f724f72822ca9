#include "platform/file_security.h"

#include <windows.h>
#include <aclapi.h>

#include "platform/win32/advapi.h"

namespace recodo::platform {
namespace {

class Win32Security final : public CapturedSecurity {
 public:
  explicit Win32Security(PSECURITY_DESCRIPTOR descriptor) : descriptor_(descriptor) {}
  ~Win32Security() override { Advapi().LocalFree(descriptor_); }
  PSECURITY_DESCRIPTOR descriptor() const { return descriptor_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_;
};

}  // namespace

std::unique_ptr<CapturedSecurity> CaptureSecurity(const char16_t* path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD status = Advapi().GetNamedSecurityInfoW(reinterpret_cast<const wchar_t*>(path), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                             nullptr, nullptr, &descriptor);
  if (status != ERROR_SUCCESS || descriptor == nullptr) return nullptr;
  return std::make_unique<Win32Security>(descriptor);
}

void ApplySecurity(const char16_t* path, const CapturedSecurity& security, bool dacl, bool owner) {
  const auto* target = reinterpret_cast<const wchar_t*>(path);
  PSECURITY_DESCRIPTOR descriptor = static_cast<const Win32Security&>(security).descriptor();
  if (dacl) Advapi().SetFileSecurityW(target, DACL_SECURITY_INFORMATION, descriptor);
  if (owner) Advapi().SetFileSecurityW(target, OWNER_SECURITY_INFORMATION, descriptor);
}

}  // namespace recodo::platform
