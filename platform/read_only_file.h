// A file opened for reading only, shared with other readers.
#pragma once

#include <cstdint>

namespace recodo::platform {

class ReadOnlyFile {
 public:
  ReadOnlyFile() = default;
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile();

  // Opens an existing regular file; false for a missing file, a directory,
  // a file locked against reading or one the caller may not read.
  bool Open(const char16_t* path);
  bool Size(std::uint64_t* size) const;
  // Reads up to `capacity` bytes; *read is 0 at the end of the file.
  bool Read(void* buffer, std::uint32_t capacity, std::uint32_t* read);
  void Close();

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace recodo::platform
