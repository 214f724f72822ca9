#include "guess.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cjk_models.h"
#include "guess_east_asian.h"
#include "guess_single_byte.h"
#include "language_models.h"

namespace recodo {
namespace {

using namespace guess;

// A guess that rests on u pieces of evidence (bytes 0x80 or above, or
// characters of a shape) is never sure below seven, however well one set
// reads them: short of 90, by how often such guesses were right on the
// benchmark's tuned half (one accented letter: nine in ten). From seven on
// 1 - 2^(-u/2): 91, rising.
double ByEvidence(std::uint64_t evidence) {
  constexpr double kFew[] = {0, 85, 89, 89, 89, 89, 89};
  if (evidence < 7) return kFew[evidence];
  return 100.0 * (1.0 - std::exp2(-double(evidence) / 2.0));
}

// A margin of m bits over the best set that reads the bytes otherwise gives
// 1 - 2^(-m/4) once that is 90 or more (13.3 bits; 16 give 94): such
// guesses were right 998 times in 1000 on the benchmark's tuned half. Below
// that, about how often they were right there: 1 - 0.4 x 2^(-m/4), from 60
// for a tie (the common set is taken) to 89.
int Confidence(std::uint64_t cost, std::uint64_t runnerUp, std::uint64_t evidence) {
  const double bits = runnerUp == kNoCost ? 1e9 : double(runnerUp - cost) / 8.0;
  const double sure = 100.0 * (1.0 - std::exp2(-bits / 4.0));
  const double byMargin = sure >= 90 ? sure : std::min(89.0, 100.0 * (1.0 - 0.4 * std::exp2(-bits / 4.0)));
  return std::clamp(int(std::min(byMargin, ByEvidence(evidence))), 0, 100);
}

// UTF-8 with at most one stray byte in this many well-formed sequences.
constexpr std::uint64_t kSequencesPerStray = 8;

int EastAsianLanguage(int index) { return kLanguageCount + index; }
int JapaneseLanguage() {
  for (int l = 0; l < kCjkLanguageCount; ++l)
    if (CjkLanguageOf(l).home == CharsetShiftJis) return EastAsianLanguage(l);
  return -1;
}

// The best East Asian reading can still be a poor one: random bytes read
// best in GB18030, by a wide margin, at a cost per character well above
// what text of any of the languages costs (about 10 bits). Such a guess is
// never sure. (Letter pairs give no such line: short texts of real
// languages cost as much per byte as garbage does.)
constexpr std::uint64_t kWorstEastAsianCost = 16 * 8;

// Every East Asian reading, and the single-byte sets' winner, in one
// standing: the cheapest wins, and the margin is over the cheapest that
// reads the bytes otherwise.
CharsetGuess Decide(const SingleByteStanding& single, const std::vector<EastAsianReading>& eastAsian) {
  CharsetGuess answer;
  const EastAsianReading* best = nullptr;
  for (const EastAsianReading& r : eastAsian)
    if (best == nullptr || r.cost < best->cost) best = &r;
  if (best == nullptr || (single.winner >= 0 && single.cost <= best->cost)) {
    if (single.winner < 0) return answer;  // no set reads the bytes as any modelled language
    std::uint64_t runnerUp = single.runnerUp;
    for (const EastAsianReading& r : eastAsian) runnerUp = std::min(runnerUp, r.cost);
    answer.set = SingleByteTableCode(single.winner);
    answer.language = single.language;
    answer.confidence = Confidence(single.cost, runnerUp, single.upperBytes);
    return answer;
  }
  std::uint64_t runnerUp = single.winner >= 0 ? single.cost : kNoCost;
  for (const EastAsianReading& r : eastAsian)
    if (r.signature != best->signature) runnerUp = std::min(runnerUp, r.cost);
  answer.set = best->set;
  answer.language = best->language >= 0 ? EastAsianLanguage(best->language) : -1;
  answer.confidence = Confidence(best->cost, runnerUp, std::min(single.upperBytes, best->characters * 2));
  if (best->cost - std::min(best->cost, single.leastAsciiCost) > best->characters * kWorstEastAsianCost)
    answer.confidence = std::min(answer.confidence, kHighGuessConfidence - 1);
  return answer;
}

}  // namespace

const char* engine::LanguageName(int language) { return GuessLanguageName(language); }
const char* engine::LanguageTag(int language) { return GuessLanguageTag(language); }

const char* GuessLanguageName(int language) {
  if (language >= 0 && language < kLanguageCount) return LanguageOf(language).name;
  if (language >= kLanguageCount && language < kLanguageCount + kCjkLanguageCount)
    return CjkLanguageOf(language - kLanguageCount).name;
  return "";
}

const char* GuessLanguageTag(int language) {
  if (language >= 0 && language < kLanguageCount) return LanguageOf(language).tag;
  if (language >= kLanguageCount && language < kLanguageCount + kCjkLanguageCount)
    return CjkLanguageOf(language - kLanguageCount).tag;
  return "";
}

CharsetGuess GuessSingleByteSet(const std::uint8_t* data, std::size_t length) {
  const SingleByteStanding single = ScoreSingleByteSets(data, std::min(length, kGuessWindow));
  CharsetGuess answer;
  if (single.upperBytes == 0) {
    answer.confidence = 100;
    return answer;
  }
  return Decide(single, {});
}

CharsetGuess GuessSet(const std::uint8_t* data, std::size_t length) {
  length = std::min(length, kGuessWindow);
  CharsetGuess answer;
  std::uint64_t units = 0;
  if (const CharsetCode utf32 = Utf32Shape(data, length, &units); utf32 != CharsetCount) {
    answer.set = utf32;
    // Each unit of a shape so strict is worth two upper bytes.
    answer.confidence = int(ByEvidence(units * 2));
    return answer;
  }
  if (engine::AsciiPrefix({data, length}) == length) {
    answer.confidence = 100;
    if (const std::uint64_t characters = Iso2022JpCharacters(data, length)) {
      answer.set = CharsetIso2022Jp;
      answer.language = JapaneseLanguage();
      answer.confidence = int(ByEvidence(characters * 2));
    }
    return answer;
  }
  // UTF-8 with a stray byte here and there (a file of UTF-8 that some
  // program wrote a byte of another set into) is UTF-8: read through any
  // other set, all its characters turn into two or three wrong ones.
  const Utf8Shape utf8 = Utf8ShapeOf(data, length, length < kGuessWindow);
  if (utf8.sequences >= 2 && utf8.strays * kSequencesPerStray <= utf8.sequences) {
    answer.set = CharsetUtf8;
    answer.confidence = int(ByEvidence(utf8.sequences * 2));
    return answer;
  }
  const SingleByteStanding single = ScoreSingleByteSets(data, length);
  // Over the same bytes as the single-byte scores, so that the costs compare.
  const bool ends = single.span == length && length < kGuessWindow;
  answer = Decide(single, ReadEastAsian(data, single.span, ends, single.leastAsciiCost));
  // A text of two sets, much of it well-formed UTF-8, reads rightly in none.
  if (utf8.sequences >= 4 && utf8.strays <= utf8.sequences)
    answer.confidence = std::min(answer.confidence, kHighGuessConfidence - 1);
  return answer;
}

}  // namespace recodo
