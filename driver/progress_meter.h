// When and what a long conversion shows of its progress: nothing in its
// first second, then at most ten updates a second of one line with the
// share done, the speed and the file's name.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace recodo {

class ProgressMeter {
 public:
  using Clock = std::chrono::steady_clock;

  void Start(const char16_t* name, Clock::time_point now);
  // The line to show now, if one is due.
  std::optional<std::u16string> Update(std::uint64_t done, std::uint64_t total, Clock::time_point now);
  // A line has been shown since the start (and is to be erased).
  bool shown() const { return shown_; }

  static constexpr std::chrono::milliseconds kQuiet{1000};
  static constexpr std::chrono::milliseconds kInterval{100};
  // The line stays shorter than a classic console is wide.
  static constexpr std::size_t kWidth = 79;

 private:
  std::u16string name_;
  Clock::time_point start_{};
  Clock::time_point last_{};
  bool shown_ = false;
};

}  // namespace recodo
