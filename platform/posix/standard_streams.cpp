#include "platform/standard_streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

bool OutputChannel::OpenAppend(const char16_t* path) {
  Close();
  const int fd = open(Utf16ToUtf8Path(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
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

void OutputChannel::Write(std::u16string_view text) {
  if (kind_ == Kind::None || text.empty()) return;
  const std::string bytes = Utf16ToUtf8(text);
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t done = ::write(static_cast<int>(handle_), p, left);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return;  // a closed pipe or full disk loses the text, not the run
    p += done;
    left -= static_cast<std::size_t>(done);
  }
}

bool OutputChannel::IsInteractive() const {
  return kind_ == Kind::Console || (kind_ == Kind::Stream && isatty(static_cast<int>(handle_)) == 1);
}

bool AllocateConsole() { return false; }
void ReleaseConsole() {}

}  // namespace recodo::platform
