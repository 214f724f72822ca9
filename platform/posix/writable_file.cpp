#include "platform/writable_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/fault_injection.h"
#include "platform/posix/access_list.h"
#include "platform/utf16_path.h"

namespace recodo::platform {

WritableFile::~WritableFile() {
  ErrorCode ignored;
  Close(&ignored);
}

bool WritableFile::CreateNew(const char16_t* path, ErrorCode* error) {
  if (InjectedFault(FileOperation::Create, error)) return false;
  const int fd = open(Utf16ToUtf8Path(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  handle_ = fd;
  path_ = path;
  return true;
}

bool WritableFile::CreateUnnamed(const char16_t* folder, ErrorCode* error) {
  if (InjectedFault(FileOperation::Create, error)) return false;
  // Such a file is named through /proc; without it there is no way to.
  if (InjectedFault(FileOperation::CreateUnnamed, error) || access("/proc/self/fd", X_OK) != 0) {
    *error = EOPNOTSUPP;
    return false;
  }
  const std::string directory = Utf16ToUtf8Path(folder);
  const int fd = open(directory.empty() ? "." : directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  handle_ = fd;
  path_.clear();
  unnamed_ = true;
  return true;
}

bool WritableFile::Name(const char16_t* path, bool durable, ErrorCode* error) {
  if (InjectedFault(FileOperation::Rename, error)) return false;
  const std::string name = Utf16ToUtf8Path(path);
  const std::string self = "/proc/self/fd/" + std::to_string(handle_);
  if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  unnamed_ = false;
  path_ = path;
  if (durable) {
    fsync(static_cast<int>(handle_));
    const std::size_t slash = name.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
  }
  return true;
}

bool WritableFile::Write(const void* data, std::size_t length, ErrorCode* error) {
  if (InjectedFault(FileOperation::Write, error)) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t done = ::write(static_cast<int>(handle_), p, length);
    if (done < 0) {
      if (errno == EINTR) continue;
      *error = static_cast<ErrorCode>(errno);
      return false;
    }
    p += done;
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

bool WritableFile::Flush(ErrorCode* error) {
  if (InjectedFault(FileOperation::Flush, error)) return false;
  if (fsync(static_cast<int>(handle_)) == 0) return true;
  *error = static_cast<ErrorCode>(errno);
  return false;
}

void WritableFile::TakeAccessFrom(const char16_t* destination, const char16_t* source) {
  const int fd = static_cast<int>(handle_);
  const std::string existing = Utf16ToUtf8Path(destination);
  struct stat info;
  if (stat(existing.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    // The owner first: changing it clears the set-id bits the mode restores.
    // A process that may not give the file away keeps at least the group.
    if (fchown(fd, info.st_uid, info.st_gid) != 0) (void)fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    (void)fchmod(fd, info.st_mode & 07777);
    // Then its access list and other attributes, as truncating it would
    // have kept them.
    CopyAttributes(existing, fd);
    return;
  }
  const std::string from = Utf16ToUtf8Path(source);
  if (stat(from.c_str(), &info) != 0) return;  // stays private
  const mode_t mask = umask(0);
  umask(mask);
  (void)fchmod(fd, ModeWithoutAccessList(from, info.st_mode) & 0777 & ~mask);
}

bool WritableFile::Close(ErrorCode* error) {
  if (handle_ == -1) return true;
  const int result = close(static_cast<int>(handle_));
  handle_ = -1;
  path_.clear();
  unnamed_ = false;
  if (result == 0) return true;
  *error = static_cast<ErrorCode>(errno);
  return false;
}

}  // namespace recodo::platform
