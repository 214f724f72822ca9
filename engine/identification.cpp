#include "identification.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "detector.h"
#include "engine/engine.h"
#include "guess.h"
#include "guess_east_asian.h"
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
  Detector detector{true, true};
  TextShape shape;
  bool guess = false;
  std::unique_ptr<Window> window;  // the start of the text, for the guess
  bool windowLost = false;         // no memory for it
  std::uint8_t head[4] = {};       // the first bytes, for UTF-32's marks
  std::size_t headKept = 0;
};

namespace {

// Sets a mark, or a text too short for detection, names where detection
// would not see it. UTF-32's marks are
// looked for before UTF-16's: FF FE 00 00 would otherwise read as UTF-16
// starting with U+0000.
CharsetCode MarkOnly(const std::uint8_t (&head)[4], std::size_t kept) {
  // A text that is a UTF-16 mark and nothing else, which detection (below
  // three bytes: ISO-8859-1) would turn into two letters.
  if (kept == 2 && head[0] == 0xFF && head[1] == 0xFE) return CharsetUtf16;
  if (kept == 2 && head[0] == 0xFE && head[1] == 0xFF) return CharsetUtf16BE;
  // Likewise one two-byte UTF-8 character ("é", "ж"), which would become
  // two Latin-1 letters.
  if (kept == 2 && head[0] >= 0xC2 && head[0] <= 0xDF && (head[1] & 0xC0) == 0x80) return CharsetUtf8;
  if (kept < 4) return CharsetCount;
  if (head[0] == 0xFF && head[1] == 0xFE && head[2] == 0 && head[3] == 0) return CharsetUtf32;
  if (head[0] == 0 && head[1] == 0 && head[2] == 0xFE && head[3] == 0xFF) return CharsetUtf32BE;
  return CharsetCount;
}

// Whether two single-byte sets read every byte of a text as the same
// character: then neither is another set for it.
bool ReadAlike(const std::uint8_t* bytes, std::size_t length, CharsetCode a, CharsetCode b) {
  if (!IsAnySingleByteCharset(a) || !IsAnySingleByteCharset(b)) return false;
  bool seen[128] = {};
  for (std::size_t i = 0; i < length; ++i)
    if (bytes[i] >= 0x80) seen[bytes[i] - 0x80] = true;
  std::uint8_t upper[128];
  std::uint16_t inA[128], inB[128];
  for (int i = 0; i < 128; ++i) upper[i] = static_cast<std::uint8_t>(0x80 + i);
  DecodeSingleByte(a, upper, inA);
  DecodeSingleByte(b, upper, inB);
  for (int i = 0; i < 128; ++i)
    if (seen[i] && inA[i] != inB[i]) return false;
  return true;
}

}  // namespace

SetIdentifier::SetIdentifier(bool guess) : state_(std::make_unique<State>()) {
  // Without the guess the window still serves the hint.
  state_->guess = guess;
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
  if (state_->guess && !state_->shape.LooksLikeText()) return true;
  return state_->detector.Decided();
}

Identification SetIdentifier::Finish() {
  Identification answer;
  if (const CharsetCode marked = MarkOnly(state_->head, state_->headKept); marked != CharsetCount) {
    answer.set = answer.detected = marked;
    return answer;
  }
  answer.set = answer.detected = ConversionSetOf(state_->detector.Finish(), state_->detector.ControlsSeen());
  answer.text = IsUtf16Charset(answer.set) || state_->shape.LooksLikeText();
  const bool fallback = answer.set == CharsetIso8859_1 || answer.set == CharsetWindows1252;

  // What the guess reads the text as: where detection only fell back, and
  // where it took the zero bytes of UTF-32 without a mark for UTF-16 or for
  // no text. ASCII reads alike in every set but ISO-2022-JP.
  std::optional<CharsetGuess> guess;
  bool lost = state_->windowLost;  // no memory to guess with
  bool readAlike = false;          // the guess's set reads the window as detection's does
  if (const State::Window* window = state_->window.get()) {
    const std::uint8_t* bytes = window->bytes;
    const std::size_t kept = window->kept;
    std::uint64_t units = 0;
    if (guess::Utf32Shape(bytes, kept, &units) != CharsetCount ||
        (answer.text && fallback &&
         (AsciiPrefix({bytes, kept}) != kept || guess::Iso2022JpCharacters(bytes, kept) != 0)))
      try {
        guess = GuessSet(bytes, kept);
      } catch (const std::bad_alloc&) {
        lost = true;
      }
    if (guess) readAlike = ReadAlike(bytes, kept, answer.set, guess->set);
  }

  if (!state_->guess) {
    // The conversion stands; a sure guess of another set is only told.
    const bool another = guess && guess->set != answer.set && guess->set != CharsetWindows1252 &&
                         guess->set != CharsetIso8859_1 && !readAlike;
    if (another && guess->confidence >= kHighGuessConfidence) {
      answer.hint = guess->set;
      answer.hintLanguage = guess->language;
      answer.hintConfidence = guess->confidence;
    }
    // Nor does the guess bear the fallback out where it reads the text
    // otherwise, or saw none of the bytes beyond ASCII.
    answer.unconfirmed = another || (fallback && !guess && (lost || state_->detector.UpperSeen()));
    return answer;
  }
  if (guess && IsUtf32Charset(guess->set)) {
    answer.text = true;
  } else if (!answer.text) {
    // What is not text is never guessed as text.
    answer.confidence = 0;
    return answer;
  } else if (!fallback || !guess) {
    // Detection stands where it found more than its fallback, and where the
    // text is ASCII. Where bytes beyond ASCII follow the window, or memory
    // ran out, nothing was guessed: the answer is no better than a guess
    // of nothing.
    if (fallback && (lost || state_->detector.UpperSeen())) {
      answer.guessed = true;
      answer.confidence = 0;
    }
    return answer;
  }
  answer.set = guess->set;
  answer.guessed = true;
  answer.language = guess->language;
  answer.confidence = guess->confidence;
  return answer;
}

}  // namespace engine

}  // namespace recodo
