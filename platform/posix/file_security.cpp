#include "platform/file_security.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/posix/access_list.h"
#include "platform/utf16_path.h"

namespace recodo::platform {
namespace {

// Owner and group, and the permission bits with the access list that
// refines them.
class PosixSecurity final : public CapturedSecurity {
 public:
  PosixSecurity(const struct stat& info, std::string accessList) : info_(info), accessList_(std::move(accessList)) {}
  const struct stat& info() const { return info_; }
  const std::string& accessList() const { return accessList_; }

 private:
  struct stat info_;
  std::string accessList_;
};

}  // namespace

std::unique_ptr<CapturedSecurity> CaptureSecurity(const char16_t* path) {
  const std::string source = Utf16ToUtf8Path(path);
  struct stat info;
  if (stat(source.c_str(), &info) != 0) return nullptr;
  return std::make_unique<PosixSecurity>(info, AccessListOf(source));
}

void ApplySecurity(const char16_t* path, const CapturedSecurity& security, bool dacl, bool owner) {
  const auto& captured = static_cast<const PosixSecurity&>(security);
  const struct stat& info = captured.info();
  const std::string target = Utf16ToUtf8Path(path);
  if (dacl) {
    (void)chmod(target.c_str(), info.st_mode & 07777);
    // The source's list, or none: never one the new file's folder gave it.
    SetAccessList(target, captured.accessList());
  }
  if (owner) (void)chown(target.c_str(), info.st_uid, info.st_gid);
}

}  // namespace recodo::platform
