// What a file's status says of it, as the conversion compares it before and
// after reading.
#pragma once

#include <sys/stat.h>

#include "platform/file_system.h"

namespace recodo::platform {

inline FileState StateOfStatus(const struct stat& info) {
  FileState state;
  state.identity.volume = static_cast<std::uint64_t>(info.st_dev);
  state.identity.index = static_cast<std::uint64_t>(info.st_ino);
  state.size = static_cast<std::uint64_t>(info.st_size);
  state.modified =
      static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
  return state;
}

}  // namespace recodo::platform
