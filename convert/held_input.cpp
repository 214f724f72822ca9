#include "held_input.h"

#include <algorithm>
#include <cstring>

namespace recodo {

bool HeldInput::Add(const std::uint8_t* bytes, std::size_t length, platform::ErrorCode* error) {
  const std::size_t fits = memory_.size() < inMemory_ ? std::min(length, inMemory_ - memory_.size()) : 0;
  memory_.insert(memory_.end(), bytes, bytes + fits);
  if (fits == length) return true;
  if (!spill_.IsOpen() && !spill_.Open(error)) return false;
  if (!spill_.WriteAt(spilled_, bytes + fits, length - fits, error)) return false;
  spilled_ += length - fits;
  return true;
}

bool HeldInput::Take(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) {
  if (given_ < memory_.size()) {
    *got = std::min(capacity, static_cast<std::size_t>(memory_.size() - given_));
    std::memcpy(buffer, memory_.data() + given_, *got);
    given_ += *got;
    return true;
  }
  const std::uint64_t fromSpill = given_ - memory_.size();
  *got = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, spilled_ - fromSpill));
  if (*got != 0 && !spill_.ReadAt(fromSpill, buffer, *got, error)) return false;
  given_ += *got;
  return true;
}

bool Replay::Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode* error) {
  if (!held_.Take(buffer, capacity, got, error)) return false;
  if (*got != 0 || restEnded_) return true;
  return rest_.Read(buffer, capacity, got, error);
}

}  // namespace recodo
