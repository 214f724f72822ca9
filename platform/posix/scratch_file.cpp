#include "platform/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace recodo::platform {

bool ScratchFile::Open(ErrorCode* error) {
  Close();
  const char* directory = std::getenv("TMPDIR");
  std::string name = directory != nullptr && directory[0] != 0 ? directory : "/tmp";
  name += "/recodo-XXXXXX";
  // Made for the owner alone, and unlinked at once: no other process can
  // come across it, and nothing is left behind however the process ends.
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  unlink(name.c_str());
  handle_ = fd;
  return true;
}

bool ScratchFile::WriteAt(std::uint64_t offset, const void* data, std::size_t length, ErrorCode* error) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const ssize_t done = pwrite(static_cast<int>(handle_), p, length, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      *error = done < 0 ? static_cast<ErrorCode>(errno) : static_cast<ErrorCode>(EIO);
      return false;
    }
    p += done;
    offset += static_cast<std::uint64_t>(done);
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

bool ScratchFile::ReadAt(std::uint64_t offset, void* data, std::size_t length, ErrorCode* error) {
  char* p = static_cast<char*>(data);
  while (length > 0) {
    const ssize_t done = pread(static_cast<int>(handle_), p, length, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      *error = done < 0 ? static_cast<ErrorCode>(errno) : static_cast<ErrorCode>(EIO);
      return false;
    }
    p += done;
    offset += static_cast<std::uint64_t>(done);
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

void ScratchFile::Close() {
  if (handle_ == -1) return;
  close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace recodo::platform
