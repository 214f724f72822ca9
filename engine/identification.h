// What a conversion reads a source as: detection's answer, the guess where
// detection only falls back, and whether the bytes are text at all. Fed the
// source in pieces of any size, with the same answer however it is cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/charset_codes.h"
#include "engine/detector.h"
#include "engine/text_shape.h"

namespace recodo {

struct Identification {
  CharsetCode set = CharsetWindows1252;
  CharsetCode detected = CharsetWindows1252;  // detection's answer, guess or not
  bool guessed = false;  // the set is the guess's, not detection's
  int language = -1;     // the guess's language, -1 for none
  int confidence = 100;  // 0..100; detection's answers are sure
  bool text = true;      // false: no text file holds such bytes
};

class SetIdentifier {
 public:
  // `guess`: where detection would fall back to Windows-1252, take the set
  // the start of the text reads best in.
  explicit SetIdentifier(bool guess);
  SetIdentifier(const SetIdentifier&) = delete;
  SetIdentifier& operator=(const SetIdentifier&) = delete;
  ~SetIdentifier();

  void Feed(const std::uint8_t* data, std::size_t length);
  // True once more text cannot change the answer.
  bool Decided() const;
  Identification Finish();

 private:
  Detector detector_;
  TextShape shape_;
  struct Window;
  std::unique_ptr<Window> window_;  // the guess's; none without it
  bool windowLost_ = false;         // no memory for it
};

// The set a conversion takes when detection answers ISO-8859-1: the text's
// bytes 0x80..0x9F are C1 controls there, which real ISO-8859-1 text never
// holds; in Windows text they are quotes, dashes and the euro sign. The
// exported functions keep detection's own answer: other programs rely on it.
CharsetCode ConversionSetOf(CharsetCode detected, bool c1Seen);

}  // namespace recodo
