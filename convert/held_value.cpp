#include "held_value.h"

#include <algorithm>
#include <new>

namespace recodo {

bool HeldValue::Add(std::uint16_t unit) {
  if (size_ < kMemoryUnits) {
    if (!memory_) {
      memory_.reset(new (std::nothrow) std::uint16_t[kMemoryUnits]);
      if (!memory_) return false;
    }
    memory_[inMemory_++] = unit;
    ++size_;
    return true;
  }
  if (!pending_) {
    pending_.reset(new (std::nothrow) std::uint16_t[kMemoryUnits]);
    if (!pending_) return false;
  }
  if (pendingCount_ == kMemoryUnits && !Spill()) return false;
  pending_[pendingCount_++] = unit;
  ++size_;
  return true;
}

bool HeldValue::Spill() {
  if (!file_.IsOpen() && !file_.Open(&error_)) return false;
  if (!file_.WriteAt(inFile_ * 2, pending_.get(), pendingCount_ * 2, &error_)) return false;
  inFile_ += pendingCount_;
  pendingCount_ = 0;
  return true;
}

bool HeldValue::Release(std::uint64_t count, UnitSink& sink) {
  count = std::min(count, size_);
  bool ok = true;
  const std::size_t first = static_cast<std::size_t>(std::min<std::uint64_t>(count, inMemory_));
  if (first != 0) ok = sink.Take(memory_.get(), first);
  count -= first;
  // From the file through the memory that the first units no longer need.
  for (std::uint64_t offset = 0; ok && count != 0 && offset < inFile_;) {
    const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>({count, inFile_ - offset, kMemoryUnits}));
    ok = file_.ReadAt(offset * 2, memory_.get(), piece * 2, &error_) && sink.Take(memory_.get(), piece);
    offset += piece;
    count -= piece;
  }
  if (ok && count != 0)
    ok = sink.Take(pending_.get(), static_cast<std::size_t>(std::min<std::uint64_t>(count, pendingCount_)));
  Clear();
  return ok;
}

void HeldValue::Clear() {
  inMemory_ = 0;
  pendingCount_ = 0;
  size_ = 0;
  // A value that was long enough for the file is rare: the file goes with it.
  if (inFile_ != 0) file_.Close();
  inFile_ = 0;
}

}  // namespace recodo
