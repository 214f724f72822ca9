#include "progress_meter.h"

#include <algorithm>

#include "base/surrogates.h"
#include "base/text_format.h"

namespace recodo {

void ProgressMeter::Start(const char16_t* name, Clock::time_point now) {
  name_ = name;
  start_ = last_ = now;
  shown_ = false;
}

std::optional<std::u16string> ProgressMeter::Update(std::uint64_t done, std::uint64_t total, Clock::time_point now) {
  const auto elapsed = now - start_;
  if (elapsed < kQuiet || (shown_ && now - last_ < kInterval)) return std::nullopt;
  last_ = now;
  shown_ = true;

  // A file that said it held less (one of /proc, or one still growing)
  // stays at 100.
  const long long percent = total == 0 || done >= total ? 100 : static_cast<long long>(done * 100 / total);
  const double seconds = std::chrono::duration<double>(elapsed).count();
  // Tenths of a megabyte (10^6 bytes) a second.
  const long long tenths = static_cast<long long>(static_cast<double>(done) / 1e5 / seconds);
  std::u16string line = Decimal(percent);
  line.insert(0, 3 - std::min<std::size_t>(line.size(), 3), u' ');
  line += u" %  " + Decimal(tenths / 10) + u"." + Decimal(tenths % 10) + u" MB/s  ";
  // The end of a long name tells it apart best.
  const std::size_t room = line.size() < kWidth ? kWidth - line.size() : 0;
  if (name_.size() <= room) {
    line += name_;
  } else if (room > 3) {
    std::size_t from = name_.size() - (room - 3);
    if (IsLowSurrogate(name_[from])) ++from;  // never half a character
    line += u"..." + name_.substr(from);
  }
  return line;
}

}  // namespace recodo
