#include "platform/standard_input.h"

#include <unistd.h>

#include <cerrno>

namespace recodo::platform {

bool ReadStandardInput(void* buffer, std::uint32_t capacity, std::uint32_t* read) {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, buffer, capacity);
    if (got >= 0) {
      *read = static_cast<std::uint32_t>(got);
      return true;
    }
    if (errno != EINTR) {
      *read = 0;
      return false;
    }
  }
}

}  // namespace recodo::platform
