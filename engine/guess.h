// A statistical guess of a legacy text's single-byte set: the bytes are
// decoded through every table and the decoding that reads most like real
// text in a language of that table's script wins.
#pragma once

#include <cstddef>
#include <cstdint>

#include "charset_codes.h"
#include "engine/engine.h"

namespace recodo {

struct CharsetGuess {
  CharsetCode set = CharsetWindows1252;
  int language = -1;   // index into the models, -1 when there is none
  int confidence = 0;  // 0..100
};

// Only this much of a text is read: enough to decide, and it bounds the cost.
inline constexpr std::size_t kGuessWindow = engine::kDetectionWindow;

// Text without a byte 0x80 or above is Windows-1252 with full confidence.
CharsetGuess GuessSingleByteSet(const std::uint8_t* data, std::size_t length);

// The set of the whole catalogue a text without a mark reads best in:
// UTF-32 by its shape, ISO-2022-JP by its escapes, the East Asian sets by
// which bytes pair and how common the characters they give are, and the
// single-byte sets as above.
CharsetGuess GuessSet(const std::uint8_t* data, std::size_t length);

// English name of a language of a guess ("Japanese"), or "" for -1.
const char* GuessLanguageName(int language);
// Its tag ("ja", "zh-Hant"), or "" for -1.
const char* GuessLanguageTag(int language);

// A confidence at or above this is taken without asking: below it a guess
// never replaces or deletes its source.
inline constexpr int kHighGuessConfidence = 90;

}  // namespace recodo
