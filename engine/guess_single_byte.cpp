#include "guess_single_byte.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "guess_reading.h"
#include "language_models.h"

namespace recodo::guess {
namespace {

constexpr int kLatinScript = 1;

// Costs, like the models', in eighths of a bit.
constexpr std::uint32_t kUndefinedCost = 240;    // a byte the table does not define
constexpr std::uint32_t kControlCost = 240;      // a C1 control: no text holds one
constexpr std::uint32_t kMixedScriptCost = 64;   // letters of two scripts in one word
constexpr std::uint32_t kCaseFlipCost = 24;      // a capital right after a small letter
constexpr std::uint32_t kOddSignCost = 32;       // a sign such as '²' or '╗' against a letter
// Quotes and dashes read as word boundaries, each a little dearer than the
// ASCII marks, and dearer still against a letter: a table that turns letters
// into punctuation breaks words apart.
constexpr std::uint32_t kPunctuationCost = 16;
constexpr std::uint32_t kPunctuationAtLetterCost = 48;
constexpr std::uint32_t kQuoteAtLetterCost = 32;
constexpr std::uint32_t kOpeningAfterLetterCost = 48;
// A model lumps the letters and signs its language does not use into one
// symbol each; which one of some hundred it is costs about this much more.
constexpr std::uint32_t kLumpedCost = 56;

// What a set costs before a byte is read, in eighths of a bit: about how
// much less often files are written in it than in Windows-1252, by the
// number of people whose languages it writes and how long it has been out
// of use. Long texts outweigh it many times over; a short one that two sets
// read about equally well is taken for the one far more people use.
constexpr std::uint8_t kPriorBits[kTableCount] = {
    1,  4,  6,  6,  4,  5,  4,  5,  4,  6,  6, 12,  6,  6,  1,  // ISO-8859-1 .. -15
    4,                                                          // Windows-874
    3,  2,  0,  4,  3,  5,  3,  5,  4,                          // Windows-1250 .. -1258
    6, 10, 10,  6, 10, 10, 10, 10, 10, 10, 10, 10, 10,  6, 10, 10,  // DOS-437 .. DOS-874
    6,  6,  6,  6,  6,  6,  6,  6,                              // the Mac sets
    3,  5,  8,                                                  // KOI8-R, KOI8-U, ISO-8859-16
};

constexpr std::uint32_t PriorCost(TableRow set) { return std::uint32_t(kPriorBits[set]) * 8; }

// A set's costs are only needed exactly up to where the confidence is full.
constexpr std::uint64_t kDecisiveMargin = 48 * 8;
// The first scoring reads only the heaviest pairs, to rank the tables and
// their languages; the full scoring then starts with the likeliest.
constexpr std::size_t kPreviewPairs = 24;
constexpr int kLanguagesKept = 3;
constexpr std::uint64_t kNone = kNoCost;

// A pair as one table reads it, with what the reading costs in any language.
struct ReadPair {
  std::uint16_t first, second;
  std::uint32_t extra;
};

// `secondIsHigh`: the second unit came from an upper byte, where a control
// (a C1 one, or the NUL of a table that reads everything so) means no text.
std::uint32_t UnitPairExtra(std::uint16_t first, std::uint16_t second, bool secondIsHigh) {
  const std::uint16_t a = kUnitFlags[first], b = kUnitFlags[second];
  std::uint32_t extra = 0;
  if (b & kUndefined) extra += kUndefinedCost;
  if (b & (kPunctuation | kApostrophe)) extra += kPunctuationCost;
  if ((a & kPunctuation) && (b & kLetter)) extra += a & kQuote ? kQuoteAtLetterCost : kPunctuationAtLetterCost;
  if ((a & kLetter) && (b & kPunctuation)) extra += b & kQuote ? kQuoteAtLetterCost : kPunctuationAtLetterCost;
  if ((a & kLetter) && (b & kOpening)) extra += kOpeningAfterLetterCost;
  if ((b & kControl) && secondIsHigh) extra += kControlCost;
  const bool letters = (a & (kLetter | kMark)) && (b & (kLetter | kMark));
  const bool scriptsDiffer = ScriptOf(a) && ScriptOf(b) && ScriptOf(a) != ScriptOf(b);
  // A digit or sign of one script against a letter of another, such as an
  // Arabic digit inside a Latin word, is as unlikely as the two letters.
  const bool signAtLetter = ((a & kOddSign) && (b & kLetter)) || ((a & kLetter) && (b & kOddSign));
  if (scriptsDiffer && (letters || signAtLetter)) extra += kMixedScriptCost;
  if ((a & kLetter) && !(a & kUpper) && (b & kUpper)) extra += kCaseFlipCost;
  if (((a & kOddSign) && (b & kLetter)) || ((a & kLetter) && (b & kOddSign))) extra += kOddSignCost;
  return extra;
}

ReadPair Read(TableRow set, const PairCount& pair) {
  const std::uint16_t first = UnitOf(set, pair.first), second = UnitOf(set, pair.second);
  return {first, second, UnitPairExtra(first, second, pair.second >= kHighBase)};
}

// What one occurrence of a read pair costs in a language.
std::uint32_t PairCost(const LanguageModel& m, const ReadPair& r) {
  const int a = m.symbols[r.first], b = m.symbols[r.second];
  const std::uint32_t lump = b == kOtherLetter || b == kOtherSign ? kLumpedCost : 0;
  return m.costs[a * m.symbolCount + b] + r.extra + lump;
}

// How many upper-byte letters of each script a table reads the text as.
struct ScriptCounts {
  std::uint64_t lettersOf[8] = {}, letters = 0;
};

ScriptCounts CountScripts(TableRow set, const UpperBytes& upper) {
  ScriptCounts c;
  for (int i = 0; i < 128; ++i) {
    const std::uint16_t flags = kUnitFlags[kUnitOfByte[set][i]];
    if (upper.counts[i] && (flags & kLetter)) {
      c.lettersOf[ScriptOf(flags)] += upper.counts[i];
      c.letters += upper.counts[i];
    }
  }
  return c;
}

// A language is written mostly in its own script: a reading without its
// letters is not that language.
bool Fits(const LanguageModel& m, const ScriptCounts& c) {
  return m.script != kLatinScript ? c.lettersOf[m.script] * 2 > c.letters : c.lettersOf[kLatinScript] * 2 >= c.letters;
}

// A table worth scoring in full, with the languages it previewed best in.
struct Candidate {
  TableRow set;
  std::uint64_t preview = kNone;
  int languages[kLanguagesKept] = {-1, -1, -1};
};

// Every fitting language of one table on the heaviest pairs.
Candidate PreviewOf(TableRow set, const std::vector<PairCount>& pairs, const UpperBytes& upper,
                    const std::vector<std::uint64_t>& asciiCost) {
  const ScriptCounts scripts = CountScripts(set, upper);
  const std::size_t count = std::min(pairs.size(), kPreviewPairs);
  ReadPair read[kPreviewPairs];
  for (std::size_t k = 0; k < count; ++k) read[k] = Read(set, pairs[k]);
  Candidate c{set};
  std::uint64_t kept[kLanguagesKept] = {kNone, kNone, kNone};
  for (int l = 0; l < kLanguageCount; ++l) {
    const LanguageModel m = LanguageOf(l);
    if (!Fits(m, scripts)) continue;
    std::uint64_t cost = asciiCost[l] + PriorCost(set);
    for (std::size_t k = 0; k < count; ++k) cost += std::uint64_t(pairs[k].count) * PairCost(m, read[k]);
    const int at = int(std::upper_bound(kept, kept + kLanguagesKept, cost) - kept);
    if (at == kLanguagesKept) continue;
    std::copy_backward(kept + at, kept + kLanguagesKept - 1, kept + kLanguagesKept);
    std::copy_backward(c.languages + at, c.languages + kLanguagesKept - 1, c.languages + kLanguagesKept);
    kept[at] = cost;
    c.languages[at] = l;
  }
  c.preview = kept[0];
  return c;
}

// The cost of the pairs read through `set`, or a value at or past `stop`.
std::uint64_t Score(const LanguageModel& m, TableRow set, const std::vector<PairCount>& pairs, std::uint64_t start,
                    std::uint64_t stop) {
  std::uint64_t cost = start;
  for (std::size_t k = 0; k < pairs.size() && cost < stop; ++k)
    cost += std::uint64_t(pairs[k].count) * PairCost(m, Read(set, pairs[k]));
  return cost;
}

// Full scoring, likeliest first, each table dropped once it is out of reach.
void ScoreCandidates(const std::vector<Candidate>& candidates, const std::vector<PairCount>& pairs,
                     const std::vector<std::uint64_t>& asciiCost, SingleByteStanding* standing) {
  SingleByteStanding& s = *standing;
  std::uint64_t bound = kNone;  // best so far plus the decisive margin
  for (const Candidate& c : candidates) {
    std::uint64_t best = kNone;
    int bestLanguage = -1;
    for (int language : c.languages) {
      if (language < 0) break;
      const std::uint64_t cost =
          Score(LanguageOf(language), c.set, pairs, asciiCost[language] + PriorCost(c.set), std::min(best, bound));
      if (cost < best) {
        best = cost;
        bestLanguage = language;
      }
    }
    if (best < s.cost || (best == s.cost && PreferenceRank(c.set) < PreferenceRank(s.winner))) {
      s.runnerUp = s.cost;
      s.cost = best;
      s.winner = c.set;
      s.language = bestLanguage;
      if (best < kNone - kDecisiveMargin) bound = std::min(bound, best + kDecisiveMargin);
    } else if (best < s.runnerUp) {
      s.runnerUp = best;
    }
  }
}

}  // namespace

SingleByteStanding ScoreSingleByteSets(const std::uint8_t* data, std::size_t length) {
  SingleByteStanding standing;
  const std::vector<PairCount> pairs = CountPairs(data, length, &standing.span);
  if (pairs.empty()) return standing;
  const UpperBytes upper = UpperBytesOf(pairs);
  standing.upperBytes = upper.total;
  const std::vector<std::uint64_t> asciiCost = AsciiLetterCosts(data, length);
  standing.leastAsciiCost = *std::min_element(asciiCost.begin(), asciiCost.end());

  // Tables that read these bytes as the same characters score the same: only
  // the preferred one of each group is scored, and it names the group.
  std::vector<Candidate> candidates;
  for (TableRow set : GroupLeaders(upper)) {
    Candidate c = PreviewOf(set, pairs, upper, asciiCost);
    if (c.languages[0] >= 0) candidates.push_back(c);
  }
  if (candidates.empty()) return standing;  // no table reads as any modelled language
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.preview < b.preview; });

  ScoreCandidates(candidates, pairs, asciiCost, &standing);
  // Its own Windows set names the language's text wherever it reads alike.
  const TableRow home = LanguageOf(standing.language).home;
  if (SameReading(home, standing.winner, upper)) standing.winner = home;
  return standing;
}

}  // namespace recodo::guess
