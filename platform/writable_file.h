// A new file being written: created exclusively, written, and either kept
// or removed by its owner.
#pragma once

#include <cstdint>

#include "platform/system_error.h"

namespace recodo::platform {

class WritableFile {
 public:
  WritableFile() = default;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;
  ~WritableFile();

  // Creates a file that must not exist yet; false with the error otherwise.
  bool CreateNew(const char16_t* path, ErrorCode* error);
  // Writes all bytes or fails.
  bool Write(const void* data, std::size_t length, ErrorCode* error);
  // Waits until the bytes are on the disk.
  bool Flush(ErrorCode* error);
  // Gives the new file the permission bits of the file it is to replace.
  void TakePermissionsOf(const char16_t* path);
  bool Close(ErrorCode* error);

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace recodo::platform
