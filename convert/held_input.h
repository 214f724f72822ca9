// What identification read ahead of a source that cannot be read again (a
// pipe): the first bytes in memory, the rest in a private scratch file,
// given back in order once the set is known. Memory stays bounded however
// long the source's answer takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "convert/byte_source.h"
#include "platform/scratch_file.h"

namespace recodo {

class HeldInput {
 public:
  explicit HeldInput(std::size_t inMemory) : inMemory_(inMemory) {}

  bool Add(const std::uint8_t* bytes, std::size_t length, platform::ErrorCode* error);
  // The next held bytes; *got 0 once all are given back.
  bool Take(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error);

 private:
  std::size_t inMemory_;
  std::vector<std::uint8_t> memory_;
  platform::ScratchFile spill_;
  std::uint64_t spilled_ = 0;
  std::uint64_t given_ = 0;
};

// The held bytes first, then the rest of the source.
class Replay final : public ByteSource {
 public:
  Replay(HeldInput& held, ByteSource& rest, bool restEnded) : held_(held), rest_(rest), restEnded_(restEnded) {}
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) override;

 private:
  HeldInput& held_;
  ByteSource& rest_;
  bool restEnded_;
};

}  // namespace recodo
