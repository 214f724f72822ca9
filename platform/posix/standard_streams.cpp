#include "platform/standard_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/utf16_path.h"

namespace recodo::platform {

OutputChannel::~OutputChannel() { Close(); }

bool OutputChannel::OpenInherited(bool error) {
  Close();
  const int fd = error ? STDERR_FILENO : STDOUT_FILENO;
  struct stat info;
  if (fstat(fd, &info) != 0) return false;
  handle_ = fd;
  owned_ = false;
  kind_ = Kind::Stream;
  return true;
}

bool OutputChannel::OpenNotices() { return OpenInherited(true); }

bool OutputChannel::OpenConsole() {
  // The terminal the program was started from, whatever became of the
  // standard handles.
  Close();
  const int fd = open("/dev/tty", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  handle_ = fd;
  owned_ = true;
  kind_ = Kind::Console;
  return true;
}

namespace {

// A regular file, or the null device that takes everything.
bool MayLog(const struct stat& info) {
  struct stat null;
  return S_ISREG(info.st_mode) ||
         (S_ISCHR(info.st_mode) && stat("/dev/null", &null) == 0 && info.st_rdev == null.st_rdev);
}

}  // namespace

bool OutputChannel::OpenAppend(const char16_t* path, ErrorCode* error) {
  Close();
  if (!MayFollowLinks(path, error)) return false;
  const std::string name = Utf16ToUtf8Path(path);
  struct stat info;
  if (stat(name.c_str(), &info) == 0 && !MayLog(info)) {
    *error = NotRegularFileError();
    return false;
  }
  // Without waiting: a pipe put there meanwhile is refused, never waited on.
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  if (fstat(fd, &info) != 0 || !MayLog(info)) {
    close(fd);
    *error = NotRegularFileError();
    return false;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  handle_ = fd;
  owned_ = true;
  kind_ = Kind::Stream;
  return true;
}

void OutputChannel::Close() {
  if (owned_ && handle_ != -1) close(static_cast<int>(handle_));
  handle_ = -1;
  owned_ = false;
  kind_ = Kind::None;
}

bool OutputChannel::Write(std::u16string_view text, ErrorCode* error) {
  if (kind_ == Kind::None || text.empty()) return true;
  const std::string bytes = Utf16ToUtf8(text);
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t done = ::write(static_cast<int>(handle_), p, left);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (error != nullptr) *error = done < 0 ? static_cast<ErrorCode>(errno) : static_cast<ErrorCode>(EIO);
      return false;
    }
    p += done;
    left -= static_cast<std::size_t>(done);
  }
  return true;
}

bool OutputChannel::IsInteractive() const {
  return kind_ == Kind::Console || (kind_ == Kind::Stream && isatty(static_cast<int>(handle_)) == 1);
}

bool AttachParentConsole() { return false; }
bool AllocateConsole() { return false; }
void ReleaseConsole() {}
void WaitForKeyPress() {}

}  // namespace recodo::platform
