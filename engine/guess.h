// A statistical guess of a legacy text's single-byte set: the bytes are
// decoded through every table and the decoding that reads most like real
// text in a language of that table's script wins.
#pragma once

#include <cstddef>
#include <cstdint>

#include "charset_codes.h"
#include "detector.h"

namespace recodo {

struct CharsetGuess {
  CharsetCode set = CharsetWindows1252;
  int language = -1;   // index into the models, -1 when there is none
  int confidence = 0;  // 0..100
};

// Only this much of a text is read: enough to decide, and it bounds the cost.
inline constexpr std::size_t kGuessWindow = 64 * 1024;

// Text without a byte 0x80 or above is Windows-1252 with full confidence.
CharsetGuess GuessSingleByteSet(const std::uint8_t* data, std::size_t length);

// English name of a language of GuessSingleByteSet, or "" for -1.
const char* GuessLanguageName(int language);

// A confidence at or above this is taken without asking.
inline constexpr int kHighGuessConfidence = 90;

// The guess that follows detection: `detected` stands unless it is the
// fallback (ISO-8859-1 or Windows-1252) and `window`, the start of the text,
// holds a byte 0x80 or above.
CharsetGuess GuessAfterDetection(CharsetCode detected, const std::uint8_t* window, std::size_t length);

// Detection for conversion and the guess in one pass over a text fed in
// pieces: the detector sees all of it, the guess its first window.
class GuessingDetector {
 public:
  GuessingDetector();
  GuessingDetector(const GuessingDetector&) = delete;
  GuessingDetector& operator=(const GuessingDetector&) = delete;
  ~GuessingDetector();

  void Feed(const std::uint8_t* data, std::size_t length);
  // True once more text cannot change the answer.
  bool Decided() const;
  CharsetGuess Finish();

 private:
  struct State;
  State* state_;
};

// What the converter takes a file for when asked to guess: detection's
// answer when it found a mark, UTF-16 or UTF-8, or when the first window
// holds only ASCII; otherwise the guess over the first window.
CharsetGuess GuessFileForConversion(const char16_t* path);

}  // namespace recodo
