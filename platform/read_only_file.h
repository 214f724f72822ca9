// A file opened for reading only, shared with other readers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/file_system.h"

namespace recodo::platform {


class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  // Opens an existing regular file; false for a missing file, a directory,
  // a device or pipe (LastError says NotRegularFileError), a file locked
  // against reading or one the caller may not read. Never waits for a
  // writer to come.
  bool Open(const char16_t* path);
  bool Size(std::uint64_t* size) const;
  // Reads up to `capacity` bytes; *read is 0 at the end of the file.
  bool Read(void* buffer, std::uint32_t capacity, std::uint32_t* read);
  // Goes back to the first byte.
  bool Rewind();
  // Through the handle, whatever the path names by now.
  bool State(FileState* state) const;
  void Close();

 private:
  std::intptr_t handle_ = -1;
};

// Reads until `want` bytes are in, the file ends or a read fails; returns
// the bytes read.
inline std::size_t ReadUpTo(ReadOnlyFile& file, std::uint8_t* buffer, std::size_t want) {
  std::size_t got = 0;
  while (got < want) {
    std::uint32_t read = 0;
    const auto ask = static_cast<std::uint32_t>(std::min<std::size_t>(want - got, 0xFFFFFFFFu));
    if (!file.Read(buffer + got, ask, &read) || read == 0) break;
    got += read;
  }
  return got;
}

}  // namespace recodo::platform
