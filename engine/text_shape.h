// Whether bytes look like text at all. Archives, images and programs hold
// zero bytes and control characters that no text file does; converting
// them as text corrupts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/engine.h"

namespace recodo {

// Only the start of a text is looked at, as by the guess: enough to tell,
// and it bounds the cost.
inline constexpr std::size_t kTextShapeWindow = engine::kDetectionWindow;

class TextShape {
 public:
  void Feed(const std::uint8_t* data, std::size_t length) {
    if (seen_ >= kTextShapeWindow) return;
    if (length > kTextShapeWindow - seen_) length = kTextShapeWindow - seen_;
    seen_ += length;
    std::size_t i = 0;
    // Text rarely holds a byte below 0x20 but its line breaks: eight bytes
    // at a time while none is there.
    for (; i + 8 <= length; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + i, 8);
      if (((word - 0x2020202020202020ull) & ~word & 0x8080808080808080ull) == 0) continue;
      for (std::size_t k = i; k < i + 8; ++k) Count(data[k]);
    }
    for (; i < length; ++i) Count(data[i]);
  }

  // False for a zero byte, or for more than a trace of the controls text
  // never holds: those other than tab, LF, VT, FF, CR, SUB (the old end of
  // file) and ESC (terminal colours). Meaningless for UTF-16, whose
  // characters hold zero bytes.
  bool LooksLikeText() const {
    const std::uint64_t trace = seen_ / 256 > 1 ? seen_ / 256 : 1;
    return zeros_ == 0 && controls_ <= trace;
  }

  bool WindowFull() const { return seen_ >= kTextShapeWindow; }

 private:
  void Count(std::uint8_t b) {
    if (b >= 0x20) return;
    if (b == 0) {
      ++zeros_;
    } else if (!((b >= 0x09 && b <= 0x0D) || b == 0x1A || b == 0x1B)) {
      ++controls_;
    }
  }

  std::uint64_t seen_ = 0;
  std::uint64_t zeros_ = 0;
  std::uint64_t controls_ = 0;
};

}  // namespace recodo
