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

bool HeldValue::Give(std::uint64_t from, std::uint64_t to, UnitSink& sink) {
  to = std::min(to, size_);
  // The first units in memory, then those in the file, then those on their
  // way into it.
  const std::uint64_t fileStart = inMemory_, fileEnd = fileStart + inFile_;
  if (from < std::min<std::uint64_t>(to, fileStart)) {
    const auto end = static_cast<std::size_t>(std::min<std::uint64_t>(to, fileStart));
    if (!sink.Take(memory_.get() + from, end - static_cast<std::size_t>(from))) return false;
    from = end;
  }
  if (from < std::min(to, fileEnd)) {
    if (!reading_) {
      reading_.reset(new (std::nothrow) std::uint16_t[kMemoryUnits]);
      if (!reading_) return false;
    }
    for (const std::uint64_t end = std::min(to, fileEnd); from < end;) {
      const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(end - from, kMemoryUnits));
      if (!file_.ReadAt((from - fileStart) * 2, reading_.get(), piece * 2, &error_) ||
          !sink.Take(reading_.get(), piece))
        return false;
      from += piece;
    }
  }
  if (from < to && !sink.Take(pending_.get() + (from - fileEnd), static_cast<std::size_t>(to - from))) return false;
  return true;
}

bool HeldValue::Release(std::uint64_t count, UnitSink& sink) {
  const bool ok = Give(0, count, sink);
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
