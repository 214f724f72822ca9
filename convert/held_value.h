// A declaration value held back until it closes. A value may run to the end
// of a text of any size: past a bound its units move into a scratch file,
// so that memory stays the same whatever its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/unit_sink.h"
#include "platform/scratch_file.h"
#include "platform/system_error.h"

namespace recodo {

class HeldValue {
 public:
  // Units kept in memory (64 KiB), and written to the file at a time.
  static constexpr std::size_t kMemoryUnits = 32 * 1024;

  // False when memory or the scratch file failed; error() then tells the
  // file's failure (0 for memory).
  bool Add(std::uint16_t unit);
  std::uint64_t size() const { return size_; }
  // Hands the first `count` units on, in pieces, then holds nothing.
  bool Release(std::uint64_t count, UnitSink& sink);
  // Hands the units from `from` up to `to` on, and holds them still; ranges
  // given one after another must lie in rising order.
  bool Give(std::uint64_t from, std::uint64_t to, UnitSink& sink);
  // Holds nothing.
  void Clear();
  // Holds nothing and forgets a failure: for the next text.
  void Reset() {
    Clear();
    error_ = 0;
  }
  platform::ErrorCode error() const { return error_; }

 private:
  bool Spill();

  std::unique_ptr<std::uint16_t[]> memory_;  // the first kMemoryUnits, then the units not yet in the file
  std::size_t inMemory_ = 0;
  std::uint64_t inFile_ = 0;                 // units in the file, which follow the first kMemoryUnits
  std::uint64_t size_ = 0;
  std::unique_ptr<std::uint16_t[]> pending_;  // units on their way into the file
  std::unique_ptr<std::uint16_t[]> reading_;  // units read back from the file
  std::size_t pendingCount_ = 0;
  platform::ScratchFile file_;
  platform::ErrorCode error_ = 0;
};

}  // namespace recodo
