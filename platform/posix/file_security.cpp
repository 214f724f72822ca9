#include "platform/file_security.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/utf16_path.h"

namespace recodo::platform {
namespace {

// Owner, group and permission bits stand for the owner and access list.
class PosixSecurity final : public CapturedSecurity {
 public:
  explicit PosixSecurity(const struct stat& info) : info_(info) {}
  const struct stat& info() const { return info_; }

 private:
  struct stat info_;
};

}  // namespace

std::unique_ptr<CapturedSecurity> CaptureSecurity(const char16_t* path) {
  struct stat info;
  if (stat(Utf16ToUtf8Path(path).c_str(), &info) != 0) return nullptr;
  return std::make_unique<PosixSecurity>(info);
}

void ApplySecurity(const char16_t* path, const CapturedSecurity& security, bool dacl, bool owner) {
  const struct stat& info = static_cast<const PosixSecurity&>(security).info();
  const std::string target = Utf16ToUtf8Path(path);
  if (dacl) (void)chmod(target.c_str(), info.st_mode & 07777);
  if (owner) (void)chown(target.c_str(), info.st_uid, info.st_gid);
}

}  // namespace recodo::platform
