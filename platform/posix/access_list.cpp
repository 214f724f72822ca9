#include "platform/posix/access_list.h"

#include <sys/xattr.h>

#include <cstdint>
#include <cstring>

namespace recodo::platform {
namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

// The list's layout: a 4-byte version, then entries of a 2-byte tag, a
// 2-byte permission set and a 4-byte id.
constexpr std::size_t kHeader = 4, kEntry = 8;
constexpr std::uint16_t kGroupObject = 0x04, kMask = 0x10;

std::string Attribute(const std::string& path, const char* name) {
  const ssize_t size = getxattr(path.c_str(), name, nullptr, 0);
  if (size <= 0) return std::string();
  std::string value(static_cast<std::size_t>(size), '\0');
  const ssize_t got = getxattr(path.c_str(), name, value.data(), value.size());
  value.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return value;
}

}  // namespace

void CopyAttributes(const std::string& from, int fd) {
  const ssize_t size = listxattr(from.c_str(), nullptr, 0);
  if (size <= 0) return;
  std::string names(static_cast<std::size_t>(size), '\0');
  const ssize_t got = listxattr(from.c_str(), names.data(), names.size());
  if (got <= 0) return;
  names.resize(static_cast<std::size_t>(got));
  for (std::size_t at = 0; at < names.size();) {
    const std::string name(names.c_str() + at);
    at += name.size() + 1;
    const std::string value = Attribute(from, name.c_str());
    (void)fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
  }
}

std::string AccessListOf(const std::string& path) { return Attribute(path, kAccessList); }

void SetAccessList(const std::string& path, const std::string& list) {
  if (list.empty())
    (void)removexattr(path.c_str(), kAccessList);
  else
    (void)setxattr(path.c_str(), kAccessList, list.data(), list.size(), 0);
}

mode_t ModeWithoutAccessList(const std::string& path, mode_t mode) {
  const std::string list = AccessListOf(path);
  if (list.size() < kHeader) return mode;
  unsigned group = 07, mask = 07;
  for (std::size_t at = kHeader; at + kEntry <= list.size(); at += kEntry) {
    std::uint16_t tag, permissions;
    std::memcpy(&tag, list.data() + at, 2);
    std::memcpy(&permissions, list.data() + at + 2, 2);
    if (tag == kGroupObject) group = permissions & 07;
    if (tag == kMask) mask = permissions & 07;
  }
  return (mode & ~mode_t(070)) | mode_t((group & mask) << 3);
}

}  // namespace recodo::platform
