// Detection against the reference, whole and cut into pieces.
#include "engine/detector.h"
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::AtEveryLevel([&] {
    const std::vector<std::uint8_t> text(data, data + size);
    const int whole = DetectCharacterSet(text.data(), static_cast<std::uint32_t>(size));
    fuzz::Check(whole == reference::Detect(text));

    // Piece sizes from the text itself, so the fuzzer explores the cuts too.
    recodo::Detector detector;
    std::size_t at = 0;
    while (at < size) {
      const std::size_t piece = std::min<std::size_t>(size - at, 1 + data[at] % 7);
      detector.Feed(data + at, piece);
      at += piece;
    }
    fuzz::Check(detector.Finish() == whole);
  });
  return 0;
}
