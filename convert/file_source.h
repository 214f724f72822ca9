// A source file, opened once: detection, the guess and the conversion all
// read through this one handle, so that nothing decides on bytes the
// conversion does not convert.
#pragma once

#include "convert/byte_source.h"
#include "platform/read_only_file.h"

namespace recodo {

class FileSource final : public ByteSource {
 public:
  // False with the system's reason for a file that cannot be opened, a
  // folder, a device or a pipe among them.
  bool Open(const char16_t* path, platform::ErrorCode* error);
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) override;
  bool Rewindable() const override { return true; }
  bool Rewind() override { return file_.Rewind(); }
  // The size the system gave when the file was opened; some files (those of
  // /proc) say 0 and hold more, so reading goes on to their end.
  std::uint64_t openedSize() const { return opened_.size; }
  // Whether the file at `path` is still the one opened there, and neither
  // grew nor changed since: the check before a result takes its place.
  bool Unchanged(const char16_t* path) const;
  void Close() { file_.Close(); }

 private:
  platform::ReadOnlyFile file_;
  platform::FileState opened_;
};

}  // namespace recodo
