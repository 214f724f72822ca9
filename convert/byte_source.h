// Where a conversion's bytes come from: an open file, the standard input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system_error.h"

namespace recodo {

class ByteSource {
 public:
  // Reads up to `capacity` bytes; *got is 0 at the end.
  virtual bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) = 0;
  // Whether the bytes can be read again from the first; where they cannot
  // (a pipe), the converter keeps what it reads ahead.
  virtual bool Rewindable() const { return false; }
  virtual bool Rewind() { return false; }

 protected:
  ~ByteSource() = default;
};

}  // namespace recodo
