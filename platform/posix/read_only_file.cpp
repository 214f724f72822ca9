#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fault_injection.h"
#include "platform/posix/stat_state.h"
#include "platform/system_error.h"
#include "platform/utf16_path.h"

namespace recodo::platform {

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::Open(const char16_t* path) {
  // Without O_NONBLOCK opening a FIFO would wait for a writer forever.
  const int fd = open(Utf16ToUtf8Path(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    errno = static_cast<int>(NotRegularFileError());
    return false;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  handle_ = fd;
  return true;
}

bool ReadOnlyFile::Size(std::uint64_t* size) const {
  struct stat info;
  if (fstat(static_cast<int>(handle_), &info) != 0) return false;
  *size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReadOnlyFile::Read(void* buffer, std::uint32_t capacity, std::uint32_t* read) {
  if (InjectedFault(FileOperation::Read, nullptr)) {
    *read = 0;
    return false;
  }
  if (capacity > 1 && InjectedFault(FileOperation::ShortRead, nullptr)) capacity /= 2;
  ssize_t got;
  do {
    got = ::read(static_cast<int>(handle_), buffer, capacity);
  } while (got < 0 && errno == EINTR);
  *read = got < 0 ? 0 : static_cast<std::uint32_t>(got);
  return got >= 0;
}

bool ReadOnlyFile::Rewind() { return lseek(static_cast<int>(handle_), 0, SEEK_SET) == 0; }

bool ReadOnlyFile::State(FileState* state) const {
  struct stat info;
  if (fstat(static_cast<int>(handle_), &info) != 0) return false;
  *state = StateOfStatus(info);
  return true;
}

void ReadOnlyFile::Close() {
  if (handle_ != -1) close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace recodo::platform
