// A result on its way to its destination: written under a temporary name
// beside it, and put in its place only when complete. Whatever fails, an
// existing destination stays as it was and no temporary file is left.
#pragma once

#include <cstdint>
#include <string>

#include "convert/unit_sink.h"
#include "platform/system_error.h"
#include "platform/writable_file.h"

namespace recodo {

class ResultFile final : public ByteSink {
 public:
  ResultFile() = default;
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;
  ~ResultFile() { Discard(); }

  // For `destination`, the file the system writes through its path: false,
  // with the reason, when it may not be replaced (a folder, a device, a
  // read-only file) or no file can be made beside it. `counter` numbers the
  // temporary names a run tries.
  bool Create(const char16_t* destination, unsigned* counter, platform::ErrorCode* error);
  bool Take(const std::uint8_t* bytes, std::size_t length) override;
  // The reason the last Take failed.
  platform::ErrorCode writeError() const { return writeError_; }
  // The path the last failure was on, quoted: the destination, or the
  // folder the result could not be made in.
  const std::u16string& failedPlace() const { return failedPlace_; }
  // Makes the complete result ready to take its place: with the access of
  // what it replaces or of `source` (see WritableFile::TakeAccessFrom) and,
  // when `durable`, on the disk, for the source is about to be replaced or
  // deleted. The last look at the source belongs between this and Place,
  // as close to the rename as it can be.
  bool Ready(const char16_t* source, bool durable, platform::ErrorCode* error);
  // Puts the ready result in its place.
  bool Place(bool durable, platform::ErrorCode* error);
  // Removes the unfinished result.
  void Discard();

 private:
  platform::WritableFile file_;
  std::u16string destination_;
  std::u16string temporary_;  // empty while the file has no name
  unsigned* counter_ = nullptr;
  bool created_ = false;
  platform::ErrorCode writeError_ = 0;
  std::u16string failedPlace_;
};

}  // namespace recodo
