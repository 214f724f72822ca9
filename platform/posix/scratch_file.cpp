#include "platform/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/utf16_path.h"

namespace recodo::platform {

namespace {

std::string ScratchDirectory(bool* fromSetting) {
  const char* directory = std::getenv("TMPDIR");
  *fromSetting = directory != nullptr && directory[0] != 0;
  return *fromSetting ? directory : "/tmp";
}

}  // namespace

std::u16string ScratchFolder(bool* fromSetting) { return PathFromSystem(ScratchDirectory(fromSetting)); }

bool ScratchFile::Open(ErrorCode* error) {
  Close();
  bool fromSetting = false;
  std::string name = ScratchDirectory(&fromSetting);
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

namespace {

// Moves all bytes at the offset with pread or pwrite, or fails.
template <typename Buffer, typename Call>
bool Whole(int fd, std::uint64_t offset, Buffer* data, std::size_t length, Call call, ErrorCode* error) {
  while (length > 0) {
    const ssize_t done = call(fd, data, length, static_cast<off_t>(offset));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      *error = done < 0 ? static_cast<ErrorCode>(errno) : static_cast<ErrorCode>(EIO);
      return false;
    }
    data += done;
    offset += static_cast<std::uint64_t>(done);
    length -= static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace

bool ScratchFile::WriteAt(std::uint64_t offset, const void* data, std::size_t length, ErrorCode* error) {
  return Whole(static_cast<int>(handle_), offset, static_cast<const char*>(data), length, pwrite, error);
}

bool ScratchFile::ReadAt(std::uint64_t offset, void* data, std::size_t length, ErrorCode* error) {
  return Whole(static_cast<int>(handle_), offset, static_cast<char*>(data), length, pread, error);
}

void ScratchFile::Close() {
  if (handle_ == -1) return;
  close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace recodo::platform
