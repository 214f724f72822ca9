// The guess over any bytes: an answer in range, the same for the same
// window, ASCII left to Windows-1252 unless it shifts into ISO-2022-JP, and
// no guess of what is not text.
#include <algorithm>

#include "engine/cjk_models.h"
#include "engine/guess.h"
#include "engine/language_models.h"
#include "fuzz_input.h"
#include "recodo/recodo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const recodo::CharsetGuess g = recodo::GuessSet(data, size);
  fuzz::Check(recodo::IsCatalogueCharset(g.set) && !recodo::IsUtf16Charset(g.set));
  fuzz::Check(g.confidence >= 0 && g.confidence <= 100);
  fuzz::Check(g.language >= -1 && g.language < recodo::guess::kLanguageCount + recodo::guess::kCjkLanguageCount);
  const recodo::CharsetGuess single = recodo::GuessSingleByteSet(data, size);
  fuzz::Check(recodo::IsAnySingleByteCharset(single.set));

  // Only the window counts: what follows it changes nothing.
  const std::size_t window = std::min(size, recodo::kGuessWindow);
  if (size > recodo::kGuessWindow) {
    const recodo::CharsetGuess start = recodo::GuessSet(data, recodo::kGuessWindow);
    fuzz::Check(start.set == g.set && start.confidence == g.confidence && start.language == g.language);
  }
  const bool ascii = std::all_of(data, data + window, [](std::uint8_t b) { return b < 0x80; });
  const bool escapes = std::find(data, data + window, 0x1B) != data + window;
  const bool zeros = std::find(data, data + window, 0) != data + window;
  if (ascii && !escapes && !zeros) fuzz::Check(g.set == recodo::CharsetWindows1252 && g.confidence == 100);

  // What a conversion reads the bytes as: never a guess of what is not
  // text, the guess's answer where it guesses, and the same however the
  // bytes are cut.
  recodo::engine::SetIdentifier whole(true);
  whole.Feed({data, size});
  const recodo::engine::Identification identified = whole.Finish();
  if (!identified.text) fuzz::Check(!identified.guessed && identified.confidence == 0);
  if (identified.guessed && identified.confidence > 0)
    fuzz::Check(identified.set == g.set && identified.confidence == g.confidence);
  if (ascii && !escapes && !zeros) fuzz::Check(!identified.guessed);
  recodo::engine::SetIdentifier cut(true);
  for (std::size_t at = 0; at < size;) {
    const std::size_t piece = std::min<std::size_t>(size - at, 1 + data[at] % 13);
    cut.Feed({data + at, piece});
    at += piece;
  }
  const recodo::engine::Identification again = cut.Finish();
  fuzz::Check(again.set == identified.set && again.text == identified.text && again.confidence == identified.confidence);

  // Without the guess: the conversion's set is detection's, and a hint is a
  // sure guess of another set.
  recodo::engine::SetIdentifier plain(false);
  plain.Feed({data, size});
  const recodo::engine::Identification told = plain.Finish();
  fuzz::Check(!told.guessed);
  if (told.hint >= 0) fuzz::Check(told.hint == g.set && told.hintConfidence >= 90 && told.hint != told.set);

  // The export answers as the identification does.
  std::int32_t confidence = -1;
  const std::int32_t exported = GuessCharacterSet(data, static_cast<std::uint32_t>(size), &confidence);
  fuzz::Check(identified.text ? exported == identified.set : exported == recodo::CharsetCount);
  return 0;
}
