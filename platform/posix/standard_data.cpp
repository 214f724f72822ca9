#include "platform/standard_data.h"

#include <unistd.h>

#include <cerrno>

namespace recodo::platform {

bool ReadStandardInput(void* buffer, std::size_t capacity, std::size_t* got, ErrorCode* error) {
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
