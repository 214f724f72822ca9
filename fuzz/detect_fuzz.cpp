// Detection against the reference, whole and cut into pieces; a file's
// identification, which refuses overlong and out-of-range UTF-8, likewise.
#include "engine/detector.h"
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

namespace {

// A lead byte followed by a second that makes a form the decoder refuses:
// overlong, a surrogate or past U+10FFFF.
bool RefusedPair(std::uint8_t lead, std::uint8_t second) {
  if (second < 0x80 || second > 0xBF) return false;
  return lead == 0xC0 || lead == 0xC1 || (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
         (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90) || (lead >= 0xF5 && lead <= 0xF7);
}

recodo::CharsetCode Pieced(const std::uint8_t* data, std::size_t size, recodo::Detector& detector) {
  // Piece sizes from the text itself, so the fuzzer explores the cuts too.
  std::size_t at = 0;
  while (at < size) {
    const std::size_t piece = std::min<std::size_t>(size - at, 1 + data[at] % 7);
    detector.Feed(data + at, piece);
    at += piece;
  }
  return detector.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::AtEveryLevel([&] {
    const std::vector<std::uint8_t> text(data, data + size);
    const int whole = DetectCharacterSet(text.data(), static_cast<std::uint32_t>(size));
    fuzz::Check(whole == reference::Detect(text));

    recodo::Detector detector;
    fuzz::Check(Pieced(data, size, detector) == whole);

    recodo::Detector strictWhole(false, true), strictPieced(false, true);
    strictWhole.Feed(data, size);
    const recodo::CharsetCode strict = strictWhole.Finish();
    fuzz::Check(Pieced(data, size, strictPieced) == strict);
    bool refused = false;
    for (std::size_t i = 0; i + 1 < size; ++i) refused |= RefusedPair(data[i], data[i + 1]);
    // A mark or zeros in the head decide before any form is read.
    const bool marked = size >= 3 && ((data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) ||
                                      (data[0] == 0xFE && data[1] == 0xFF) || (data[0] == 0xFF && data[1] == 0xFE) ||
                                      ((data[0] == 0) != (data[1] == 0)));
    if (refused && !marked && whole == recodo::CharsetUtf8) {
      fuzz::Check(strict != recodo::CharsetUtf8);
    } else {
      fuzz::Check(strict == whole);
    }
  });
  return 0;
}
