// The guess over any bytes: an answer in range, the same for the same
// window, and ASCII left to Windows-1252.
#include <algorithm>

#include "engine/guess.h"
#include "engine/language_models.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const recodo::CharsetGuess g = recodo::GuessSingleByteSet(data, size);
  fuzz::Check(recodo::IsSingleByteCharset(g.set));
  fuzz::Check(g.confidence >= 0 && g.confidence <= 100);
  fuzz::Check(g.language >= -1 && g.language < recodo::guess::kLanguageCount);

  // Only the window counts: what follows it changes nothing.
  if (size > recodo::kGuessWindow) {
    const recodo::CharsetGuess window = recodo::GuessSingleByteSet(data, recodo::kGuessWindow);
    fuzz::Check(window.set == g.set && window.confidence == g.confidence && window.language == g.language);
  }
  const bool ascii = std::all_of(data, data + std::min(size, recodo::kGuessWindow), [](std::uint8_t b) { return b < 0x80; });
  if (ascii) fuzz::Check(g.set == recodo::CharsetWindows1252 && g.confidence == 100);

  // Detection that found more than the fallback is never overruled.
  fuzz::Check(recodo::GuessAfterDetection(recodo::CharsetUtf8, data, size).set == recodo::CharsetUtf8);
  const recodo::CharsetGuess after = recodo::GuessAfterDetection(recodo::CharsetWindows1252, data, size);
  fuzz::Check(after.set == (ascii ? recodo::CharsetWindows1252 : g.set));
  return 0;
}
