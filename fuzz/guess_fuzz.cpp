// The guess over any bytes: an answer in range, the same for the same
// window, ASCII left to Windows-1252, and no guess of what is not text.
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

  // What a conversion reads the bytes as: never a guess of what is not
  // text, the guess's answer where it guesses, and the same however the
  // bytes are cut.
  recodo::engine::SetIdentifier whole(true);
  whole.Feed({data, size});
  const recodo::engine::Identification identified = whole.Finish();
  if (!identified.text) fuzz::Check(!identified.guessed && identified.confidence == 0);
  if (identified.guessed) fuzz::Check(identified.set == g.set && identified.confidence == g.confidence);
  if (ascii) fuzz::Check(!identified.guessed);
  recodo::engine::SetIdentifier cut(true);
  for (std::size_t at = 0; at < size;) {
    const std::size_t piece = std::min<std::size_t>(size - at, 1 + data[at] % 13);
    cut.Feed({data + at, piece});
    at += piece;
  }
  const recodo::engine::Identification again = cut.Finish();
  fuzz::Check(again.set == identified.set && again.text == identified.text && again.confidence == identified.confidence);
  return 0;
}
