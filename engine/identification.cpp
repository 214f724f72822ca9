#include "identification.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "detector.h"
#include "engine/engine.h"
#include "guess.h"
#include "text_shape.h"

namespace recodo {

CharsetCode ConversionSetOf(CharsetCode detected, bool c1Seen) {
  return detected == CharsetIso8859_1 && c1Seen ? CharsetWindows1252 : detected;
}

namespace engine {

struct SetIdentifier::State {
  struct Window {
    std::uint8_t bytes[kGuessWindow];
    std::size_t kept = 0;
  };
  Detector detector{true};
  TextShape shape;
  std::unique_ptr<Window> window;  // the guess's; none without it
  bool windowLost = false;         // no memory for it
  std::uint8_t head[4] = {};       // the first bytes, for UTF-32's marks
  std::size_t headKept = 0;
};

namespace {

// Sets a mark names where detection would not see it. UTF-32's marks are
// looked for before UTF-16's: FF FE 00 00 would otherwise read as UTF-16
// starting with U+0000.
CharsetCode MarkOnly(const std::uint8_t (&head)[4], std::size_t kept) {
  // A text that is a UTF-16 mark and nothing else, which detection (below
  // three bytes: ISO-8859-1) would turn into two letters.
  if (kept == 2 && head[0] == 0xFF && head[1] == 0xFE) return CharsetUtf16;
  if (kept == 2 && head[0] == 0xFE && head[1] == 0xFF) return CharsetUtf16BE;
  if (kept < 4) return CharsetCount;
  if (head[0] == 0xFF && head[1] == 0xFE && head[2] == 0 && head[3] == 0) return CharsetUtf32;
  if (head[0] == 0 && head[1] == 0 && head[2] == 0xFE && head[3] == 0xFF) return CharsetUtf32BE;
  return CharsetCount;
}

}  // namespace

SetIdentifier::SetIdentifier(bool guess) : state_(std::make_unique<State>()) {
  if (!guess) return;
  state_->window.reset(new (std::nothrow) State::Window);
  state_->windowLost = !state_->window;
}

SetIdentifier::~SetIdentifier() = default;

void SetIdentifier::Feed(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  for (std::size_t i = 0; state_->headKept < 4 && i < bytes.size(); ++i) state_->head[state_->headKept++] = bytes[i];
  state_->detector.Feed(bytes.data(), bytes.size());
  state_->shape.Feed(bytes.data(), bytes.size());
  if (auto& window = state_->window) {
    const std::size_t take = std::min(bytes.size(), kGuessWindow - window->kept);
    std::memcpy(window->bytes + window->kept, bytes.data(), take);
    window->kept += take;
  }
}

bool SetIdentifier::Decided() const {
  if (!state_->shape.WindowFull()) return false;
  // What is not text is never guessed as text, whatever follows: a guess
  // need not read on (UTF-16, whose zeros are no sign, shows in its first
  // bytes and is decided there).
  const bool guessing = state_->window || state_->windowLost;
  if (guessing && !state_->shape.LooksLikeText()) return true;
  return state_->detector.Decided();
}

Identification SetIdentifier::Finish() {
  Identification answer;
  if (const CharsetCode marked = MarkOnly(state_->head, state_->headKept); marked != CharsetCount) {
    answer.set = answer.detected = marked;
    return answer;
  }
  answer.set = answer.detected = ConversionSetOf(state_->detector.Finish(), state_->detector.ControlsSeen());
  const bool utf16 = answer.set == CharsetUtf16 || answer.set == CharsetUtf16BE;
  answer.text = utf16 || state_->shape.LooksLikeText();
  const bool guessing = state_->window || state_->windowLost;
  if (!guessing) return answer;
  // What is not text is never guessed as text.
  if (!answer.text) {
    answer.confidence = 0;
    return answer;
  }
  // Detection stands where it found more than its fallback, and where the
  // start of the text is ASCII, which every set reads alike.
  if (answer.set != CharsetIso8859_1 && answer.set != CharsetWindows1252) return answer;
  if (state_->windowLost) {
    answer.guessed = true;
    answer.confidence = 0;
    return answer;
  }
  const std::uint8_t* bytes = state_->window->bytes;
  const std::size_t kept = state_->window->kept;
  if (AsciiPrefix({bytes, kept}) == kept) return answer;
  const CharsetGuess guess = GuessSingleByteSet(bytes, kept);
  answer.set = guess.set;
  answer.guessed = true;
  answer.language = guess.language;
  answer.confidence = guess.confidence;
  return answer;
}

}  // namespace engine

}  // namespace recodo
