#include "platform/standard_data.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace recodo::platform {
namespace {

bool inputWasClosed = false;
bool outputWasClosed = false;

}  // namespace

void GuardStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number: this one, as those below it are open.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
    if (fd == STDIN_FILENO) inputWasClosed = true;
    if (fd == STDOUT_FILENO) outputWasClosed = true;
  }
}

bool ReadStandardInput(void* buffer, std::size_t capacity, std::size_t* got, ErrorCode* error) {
  if (inputWasClosed) {
    *error = EBADF;
    return false;
  }
  for (;;) {
    const ssize_t done = read(STDIN_FILENO, buffer, capacity);
    if (done >= 0) {
      *got = static_cast<std::size_t>(done);
      return true;
    }
    if (errno != EINTR) {
      *error = static_cast<ErrorCode>(errno);
      return false;
    }
  }
}

bool WriteStandardOutput(const void* data, std::size_t length, ErrorCode* error) {
  if (outputWasClosed) {
    *error = EBADF;
    return false;
  }
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t done = write(STDOUT_FILENO, p, length);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      *error = done < 0 ? static_cast<ErrorCode>(errno) : static_cast<ErrorCode>(EIO);
      return false;
    }
    p += done;
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace recodo::platform
