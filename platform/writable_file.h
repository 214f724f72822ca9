// A new file being written: created exclusively, written, and either kept
// or removed by its owner.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system_error.h"

namespace recodo::platform {

class WritableFile {
 public:
  WritableFile() = default;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;
  ~WritableFile();

  // Creates a file that must not exist yet (on POSIX readable by its owner
  // alone until it is finished); false with the error otherwise.
  bool CreateNew(const char16_t* path, ErrorCode* error);
  // Creates a file without a name in `folder`, readable by its owner alone:
  // a process that ends before Name leaves nothing behind, whatever ends
  // it. False where the file system has no such files (and on Windows).
  bool CreateUnnamed(const char16_t* folder, ErrorCode* error);
  bool unnamed() const { return unnamed_; }
  // Gives an unnamed file the name `path`, which must not exist yet;
  // `durable`: the name is on the disk before this returns.
  bool Name(const char16_t* path, bool durable, ErrorCode* error);
  // Writes all bytes or fails.
  bool Write(const void* data, std::size_t length, ErrorCode* error);
  // Waits until the bytes are on the disk.
  bool Flush(ErrorCode* error);
  // Before the file takes the place of `destination`: an existing one
  // passes on what truncating it in place would have kept (owner, group and
  // permission bits on POSIX, where the process may set them; owner, access
  // list and attributes on Windows). A new destination gets the permission
  // bits of `source` less the process's mask, as a copy would (POSIX), or
  // what its folder gives it (Windows); never more than the source allows.
  void TakeAccessFrom(const char16_t* destination, const char16_t* source);
  bool Close(ErrorCode* error);

 private:
  std::intptr_t handle_ = -1;
  std::u16string path_;
  bool unnamed_ = false;
};

}  // namespace recodo::platform
