#include "identification.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "guess.h"

namespace recodo {

static_assert(kGuessWindow == kTextShapeWindow, "one window is read before anything is decided");

CharsetCode ConversionSetOf(CharsetCode detected, bool c1Seen) {
  return detected == CharsetIso8859_1 && c1Seen ? CharsetWindows1252 : detected;
}

struct SetIdentifier::Window {
  std::uint8_t bytes[kGuessWindow];
  std::size_t kept = 0;
};

SetIdentifier::SetIdentifier(bool guess) : detector_(true) {
  if (!guess) return;
  window_.reset(new (std::nothrow) Window);
  windowLost_ = !window_;
}

SetIdentifier::~SetIdentifier() = default;

void SetIdentifier::Feed(const std::uint8_t* data, std::size_t length) {
  if (length == 0) return;
  detector_.Feed(data, length);
  shape_.Feed(data, length);
  if (window_) {
    const std::size_t take = std::min(length, kGuessWindow - window_->kept);
    std::memcpy(window_->bytes + window_->kept, data, take);
    window_->kept += take;
  }
}

bool SetIdentifier::Decided() const { return detector_.Decided() && shape_.WindowFull(); }

Identification SetIdentifier::Finish() {
  Identification answer;
  answer.set = answer.detected = ConversionSetOf(detector_.Finish(), detector_.ControlsSeen());
  const bool utf16 = answer.set == CharsetUtf16 || answer.set == CharsetUtf16BE;
  answer.text = utf16 || shape_.LooksLikeText();
  const bool guessing = window_ || windowLost_;
  if (!guessing) return answer;
  // What is not text is never guessed as text.
  if (!answer.text) {
    answer.confidence = 0;
    return answer;
  }
  // Detection stands where it found more than its fallback, and where the
  // start of the text is ASCII, which every set reads alike.
  if (answer.set != CharsetIso8859_1 && answer.set != CharsetWindows1252) return answer;
  if (windowLost_) {
    answer.guessed = true;
    answer.confidence = 0;
    return answer;
  }
  const std::uint8_t* bytes = window_->bytes;
  if (std::none_of(bytes, bytes + window_->kept, [](std::uint8_t b) { return b >= 0x80; })) return answer;
  const CharsetGuess guess = GuessSingleByteSet(bytes, window_->kept);
  answer.set = guess.set;
  answer.guessed = true;
  answer.language = guess.language;
  answer.confidence = guess.confidence;
  return answer;
}

}  // namespace recodo
