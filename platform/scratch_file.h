// A private file for data that does not fit in memory: only this process
// can open it, and it is gone when closed or when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace recodo::platform {

// The folder scratch files are made in, as the user would name it; `fromSetting`
// tells whether a setting chose it (TMPDIR, TMP).
std::u16string ScratchFolder(bool* fromSetting);

class ScratchFile {
 public:
  ScratchFile() = default;
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() { Close(); }

  // Creates the file in the user's folder for temporary files.
  bool Open(ErrorCode* error);
  bool IsOpen() const { return handle_ != -1; }
  // Writes all bytes at the offset, or fails.
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t length, ErrorCode* error);
  // Reads exactly `length` bytes from the offset, or fails.
  bool ReadAt(std::uint64_t offset, void* data, std::size_t length, ErrorCode* error);
  void Close();

 private:
  std::intptr_t handle_ = -1;
};

}  // namespace recodo::platform
