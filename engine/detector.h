// Character-set detection over a text fed in pieces of any size; the answer
// is the same however the text is cut.
#pragma once

#include <cstddef>
#include <cstdint>

#include "charset_codes.h"
#include "utf8_decoder.h"

namespace recodo {

class Detector {
 public:
  // `watchControls`: also note whether the text holds a byte 0x80..0x9F,
  // and read on until one turns up while the answer is ISO-8859-1.
  // `strictUtf8`: a text with a form the decoder refuses or that is overlong
  // is no UTF-8, though the measuring pass lets it by (a file's
  // identification; the exported detection keeps to the measuring pass).
  explicit Detector(bool watchControls = false, bool strictUtf8 = false)
      : watchControls_(watchControls), strictUtf8_(strictUtf8) {}

  void Feed(const std::uint8_t* data, std::size_t length);
  // True once more text cannot change the answer.
  bool Decided() const;
  CharsetCode Finish();
  bool ControlsSeen() const { return controls_; }
  // Whether the text held a byte 0x80 or above anywhere it was fed.
  bool UpperSeen() const { return upper_; }

 private:
  void MeasureUtf8(const std::uint8_t* data, std::size_t length);
  CharsetCode FirstFittingSet() const;

  std::uint64_t total_ = 0;
  std::uint8_t head_[3] = {};
  // Bytes of a character that may continue in the next piece.
  std::uint8_t pending_[8] = {};
  std::size_t pendingLength_ = 0;
  utf8::DecodeProgress utf8_;
  bool seen_[128] = {};  // upper byte values met so far
  bool watchControls_;
  bool controls_ = false;
  bool upper_ = false;
  bool strictUtf8_;
  bool refusedForm_ = false;
  std::uint8_t last_ = 0;  // the last byte fed, for a form the next piece ends
};

// Detection over a file read in pieces of blockSize bytes; a file that
// cannot be opened or read whole gives 18 (Windows-1252).
CharsetCode DetectFile(const char16_t* path, std::uint32_t blockSize);

}  // namespace recodo
