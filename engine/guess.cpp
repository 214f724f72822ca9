#include "guess.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/engine.h"
#include "language_models.h"

namespace recodo {
namespace {

using namespace guess;

// Byte classes: ASCII non-letters are all one (every model reads them as a
// word boundary), then the 26 capitals, the 26 small letters and the 128
// upper bytes, whose characters depend on the table.
constexpr int kLatinScript = 1;
constexpr int kUpperBase = 1, kLowerBase = 27, kHighBase = 53, kClassCount = 181;

constexpr int ClassOf(std::uint8_t b) {
  if (b >= 0x80) return kHighBase + (b - 0x80);
  if (b >= 'A' && b <= 'Z') return kUpperBase + (b - 'A');
  if (b >= 'a' && b <= 'z') return kLowerBase + (b - 'a');
  return 0;
}

constexpr std::uint16_t AsciiUnitOf(int cls) {
  return cls == 0 ? u' ' : cls < kLowerBase ? u'A' + (cls - kUpperBase) : u'a' + (cls - kLowerBase);
}

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

// `secondIsHigh`: the second unit came from an upper byte, where a control
// (a C1 one, or the NUL of a table that reads everything so) means no text.
std::uint32_t UnitPairExtra(std::uint16_t first, std::uint16_t second, bool secondIsHigh) {
  const std::uint16_t a = kUnitFlags[first], b = kUnitFlags[second];
  std::uint32_t extra = 0;
  if (b & kUndefined) extra += kUndefinedCost;
  if (b & (kPunctuation | kApostrophe)) extra += kPunctuationCost;
  if (((a & kPunctuation) && (b & kLetter)) || ((a & kLetter) && (b & kPunctuation))) extra += kPunctuationAtLetterCost;
  if ((b & kControl) && secondIsHigh) extra += kControlCost;
  const bool letters = (a & (kLetter | kMark)) && (b & (kLetter | kMark));
  if (letters && ScriptOf(a) && ScriptOf(b) && ScriptOf(a) != ScriptOf(b)) extra += kMixedScriptCost;
  if ((a & kLetter) && !(a & kUpper) && (b & kUpper)) extra += kCaseFlipCost;
  if (((a & kOddSign) && (b & kLetter)) || ((a & kLetter) && (b & kOddSign))) extra += kOddSignCost;
  return extra;
}

// A model lumps the letters and signs its language does not use into one
// symbol each; which one of some hundred it is costs about this much more.
constexpr std::uint32_t kLumpedCost = 56;

// Windows first, then ISO, then DOS, then Mac: the name a user would give.
constexpr int PreferenceRank(CharsetCode set) {
  if (set >= 15 && set <= 24) return set - 15;
  if (set <= 14) return 10 + set;
  return set;  // DOS 25..40, then Mac 41..48
}

// What a set costs before a byte is read, in eighths of a bit: about how
// much less often files are written in it than in Windows-1252, by the
// number of people whose languages it writes and how long it has been out
// of use. Long texts outweigh it many times over; a short one that two sets
// read about equally well is taken for the one far more people use.
constexpr std::uint8_t kPriorBits[CharsetCount] = {
    1,  4,  6,  6,  4,  5,  4,  5,  4,  6,  6, 12,  6,  6,  1,  // ISO-8859-1 .. -15
    4,                                                          // Windows-874
    3,  2,  0,  4,  3,  5,  3,  5,  4,                          // Windows-1250 .. -1258
    6, 10, 10,  6, 10, 10, 10, 10, 10, 10, 10, 10, 10,  6, 10, 10,  // DOS-437 .. DOS-874
    6,  6,  6,  6,  6,  6,  6,  6,                              // the Mac sets
};

constexpr std::uint32_t PriorCost(CharsetCode set) { return std::uint32_t(kPriorBits[set]) * 8; }

// How sure a guess can be that rests on `upperBytes` bytes 0x80 or above:
// a text with one or two accented letters says little about its set,
// however well one table reads them.
int EvidenceCap(std::uint64_t upperBytes) {
  return int(100.0 * (1.0 - std::exp2(-double(upperBytes) / 2.0)));
}

// Pairs of neighbouring characters of which at least one is an upper byte:
// only those read differently through different tables. Past this many the
// answer no longer changes, and counting stops.
constexpr std::uint32_t kEnoughPairs = 8 * 1024;

struct PairCount {
  std::uint16_t first, second;  // classes
  std::uint32_t count;
};

std::vector<PairCount> CountPairs(const std::uint8_t* data, std::size_t length) {
  std::vector<std::uint16_t> slot(kClassCount * kClassCount, 0);  // 1 + index into pairs
  std::vector<PairCount> pairs;
  pairs.reserve(512);
  const auto add = [&](int first, int second) {
    std::uint16_t& s = slot[first * kClassCount + second];
    if (s == 0) {
      pairs.push_back({std::uint16_t(first), std::uint16_t(second), 0});
      s = std::uint16_t(pairs.size());
    }
    ++pairs[s - 1].count;
  };
  std::uint32_t counted = 0;
  std::size_t i = 0;
  while (i < length && counted < kEnoughPairs) {
    // Runs of ASCII read alike through every table: step over them.
    i += engine::AsciiPrefix({data + i, length - i});
    if (i == length) break;
    const int cls = ClassOf(data[i]);
    if (i == 0 || data[i - 1] < 0x80) {
      add(i == 0 ? 0 : ClassOf(data[i - 1]), cls);
      ++counted;
    }
    add(cls, i + 1 < length ? ClassOf(data[i + 1]) : 0);
    ++counted;
    ++i;
  }
  // The heavy pairs first, so a hopeless table is dropped early.
  std::sort(pairs.begin(), pairs.end(), [](const PairCount& a, const PairCount& b) { return a.count > b.count; });
  return pairs;
}

// Pairs of ASCII letters read alike through every table, but tell the
// languages apart: a Latin text does not turn Cyrillic for one short word.
// They weigh a quarter: the models learnt them partly from word lists.
constexpr std::size_t kAsciiWindow = 4 * 1024;
constexpr int kAsciiWeightShift = 2;

void AsciiLetterCosts(const std::uint8_t* data, std::size_t length, std::uint64_t* costs) {
  std::uint32_t counts[26][26] = {};
  length = std::min(length, kAsciiWindow);
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned a = (data[i - 1] | 0x20) - 'a', b = (data[i] | 0x20) - 'a';
    if (a < 26 && b < 26) ++counts[a][b];
  }
  struct Cell {
    std::uint16_t index;
    std::uint32_t count;
  };
  Cell cells[26 * 26];
  int used = 0;
  for (int a = 0; a < 26; ++a)
    for (int b = 0; b < 26; ++b)
      if (counts[a][b]) cells[used++] = {std::uint16_t(a * 26 + b), counts[a][b]};
  for (int l = 0; l < kLanguageCount; ++l) {
    const LanguageModel& m = kLanguages[l];
    std::uint64_t cost = 0;
    for (int c = 0; c < used; ++c) {
      const int a = kFirstLetter + cells[c].index / 26, b = kFirstLetter + cells[c].index % 26;
      cost += std::uint64_t(cells[c].count) * m.costs[a * m.symbolCount + b];
    }
    costs[l] = cost >> kAsciiWeightShift;
  }
}

// A set's costs are only needed exactly up to where the confidence is full.
constexpr std::uint64_t kDecisiveMargin = 48 * 8;
// The first scoring reads only the heaviest pairs, to rank the tables and
// their languages; the full scoring then starts with the likeliest.
constexpr std::size_t kPreviewPairs = 24;
constexpr int kLanguagesKept = 3;

// How many upper-byte letters of each script a table reads the text as.
struct ScriptCounts {
  std::uint64_t lettersOf[8] = {}, letters = 0;
};

ScriptCounts CountScripts(CharsetCode set, const std::uint32_t* byteCounts) {
  ScriptCounts c;
  for (int i = 0; i < 128; ++i) {
    const std::uint16_t flags = kUnitFlags[kUnitOfByte[set][i]];
    if (byteCounts[i] && (flags & kLetter)) {
      c.lettersOf[ScriptOf(flags)] += byteCounts[i];
      c.letters += byteCounts[i];
    }
  }
  return c;
}

// A language is written mostly in its own script: a reading without its
// letters is not that language.
bool Fits(const LanguageModel& m, const ScriptCounts& c) {
  return m.script != kLatinScript ? c.lettersOf[m.script] * 2 > c.letters : c.lettersOf[kLatinScript] * 2 >= c.letters;
}

// The cost of the first `count` pairs read through `set`, or a value at or
// past `stop`.
std::uint64_t Score(const LanguageModel& m, CharsetCode set, const std::vector<PairCount>& pairs, std::size_t count,
                    std::uint64_t start, std::uint64_t stop) {
  const auto unitOf = [set](int cls) -> std::uint16_t {
    return cls >= kHighBase ? kUnitOfByte[set][cls - kHighBase] : AsciiUnitOf(cls);
  };
  std::uint64_t cost = start;
  for (std::size_t k = 0; k < count && cost < stop; ++k) {
    const std::uint16_t first = unitOf(pairs[k].first), second = unitOf(pairs[k].second);
    const int a = m.symbols[first], b = m.symbols[second];
    const std::uint32_t lump = b == kOtherLetter || b == kOtherSign ? kLumpedCost : 0;
    const std::uint32_t extra = UnitPairExtra(first, second, pairs[k].second >= kHighBase);
    cost += std::uint64_t(pairs[k].count) * (m.costs[a * m.symbolCount + b] + extra + lump);
  }
  return cost;
}

}  // namespace

const char* engine::LanguageName(int language) { return GuessLanguageName(language); }

const char* GuessLanguageName(int language) {
  return language >= 0 && language < kLanguageCount ? kLanguages[language].name : "";
}

CharsetGuess GuessSingleByteSet(const std::uint8_t* data, std::size_t length) {
  length = std::min(length, kGuessWindow);
  const std::vector<PairCount> pairs = CountPairs(data, length);
  CharsetGuess answer;
  if (pairs.empty()) {
    answer.confidence = 100;
    return answer;
  }

  bool present[128] = {};
  std::uint32_t byteCounts[128] = {};  // as the second of a pair: each counted once
  for (const PairCount& p : pairs) {
    if (p.first >= kHighBase) present[p.first - kHighBase] = true;
    if (p.second >= kHighBase) {
      present[p.second - kHighBase] = true;
      byteCounts[p.second - kHighBase] += p.count;
    }
  }
  // Sets that read these bytes as the same characters score the same: only
  // the preferred one of each group is scored, and it names the group.
  CharsetCode order[CharsetCount];
  for (CharsetCode set = 0; set < CharsetCount; ++set) order[set] = set;
  std::sort(order, order + CharsetCount,
            [](CharsetCode a, CharsetCode b) { return PreferenceRank(a) < PreferenceRank(b); });
  std::uint64_t signature[CharsetCount];
  for (CharsetCode set = 0; set < CharsetCount; ++set) {
    std::uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 128; ++i)
      if (present[i]) h = (h ^ kUnitOfByte[set][i]) * 1099511628211ull;
    signature[set] = h;
  }
  const auto sameReading = [&](CharsetCode a, CharsetCode b) {
    if (signature[a] != signature[b]) return false;
    for (int i = 0; i < 128; ++i)
      if (present[i] && kUnitOfByte[a][i] != kUnitOfByte[b][i]) return false;
    return true;
  };
  std::vector<CharsetCode> leaders;
  for (int i = 0; i < CharsetCount; ++i) {
    bool joined = false;
    for (CharsetCode leader : leaders)
      if ((joined = sameReading(order[i], leader))) break;
    if (!joined) leaders.push_back(order[i]);
  }

  std::vector<std::uint64_t> asciiCost(kLanguageCount);
  AsciiLetterCosts(data, length, asciiCost.data());

  // Preview: every fitting language of every table on the heaviest pairs.
  struct Candidate {
    CharsetCode set;
    std::uint64_t preview;
    int languages[kLanguagesKept];
  };
  std::vector<Candidate> candidates;
  const std::size_t preview = std::min(pairs.size(), kPreviewPairs);
  constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
  for (CharsetCode set : leaders) {
    const ScriptCounts scripts = CountScripts(set, byteCounts);
    Candidate c{set, kNone, {-1, -1, -1}};
    std::uint64_t kept[kLanguagesKept] = {kNone, kNone, kNone};
    // The table's reading of the heaviest pairs, once for all languages.
    std::uint16_t first[kPreviewPairs], second[kPreviewPairs];
    std::uint32_t weight[kPreviewPairs], extra[kPreviewPairs];
    for (std::size_t k = 0; k < preview; ++k) {
      first[k] = pairs[k].first >= kHighBase ? kUnitOfByte[set][pairs[k].first - kHighBase] : AsciiUnitOf(pairs[k].first);
      second[k] =
          pairs[k].second >= kHighBase ? kUnitOfByte[set][pairs[k].second - kHighBase] : AsciiUnitOf(pairs[k].second);
      extra[k] = UnitPairExtra(first[k], second[k], pairs[k].second >= kHighBase);
      weight[k] = pairs[k].count;
    }
    for (int l = 0; l < kLanguageCount; ++l) {
      const LanguageModel& m = kLanguages[l];
      if (!Fits(m, scripts)) continue;
      std::uint64_t cost = asciiCost[l] + PriorCost(set);
      for (std::size_t k = 0; k < preview; ++k) {
        const int a = m.symbols[first[k]], b = m.symbols[second[k]];
        const std::uint32_t lump = b == kOtherLetter || b == kOtherSign ? kLumpedCost : 0;
        cost += std::uint64_t(weight[k]) * (m.costs[a * m.symbolCount + b] + extra[k] + lump);
      }
      for (int k = 0; k < kLanguagesKept; ++k) {
        if (cost >= kept[k]) continue;
        for (int j = kLanguagesKept - 1; j > k; --j) {
          kept[j] = kept[j - 1];
          c.languages[j] = c.languages[j - 1];
        }
        kept[k] = cost;
        c.languages[k] = l;
        break;
      }
    }
    c.preview = kept[0];
    if (c.languages[0] >= 0) candidates.push_back(c);
  }
  if (candidates.empty()) return answer;  // no table reads as any modelled language
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.preview < b.preview; });

  // Full scoring, likeliest first, each table dropped once it is out of reach.
  std::uint64_t bound = kNone;  // best so far plus the decisive margin
  CharsetCode winner = -1;
  std::uint64_t winnerCost = kNone, runnerUp = kNone;
  for (const Candidate& c : candidates) {
    std::uint64_t best = kNone;
    int bestLanguage = -1;
    for (int language : c.languages) {
      if (language < 0) break;
      const std::uint64_t cost = Score(kLanguages[language], c.set, pairs, pairs.size(),
                                       asciiCost[language] + PriorCost(c.set), std::min(best, bound));
      if (cost < best) {
        best = cost;
        bestLanguage = language;
      }
    }
    if (best < winnerCost || (best == winnerCost && PreferenceRank(c.set) < PreferenceRank(winner))) {
      runnerUp = winnerCost;
      winnerCost = best;
      winner = c.set;
      answer.language = bestLanguage;
      if (best < kNone - kDecisiveMargin) bound = std::min(bound, best + kDecisiveMargin);
    } else if (best < runnerUp) {
      runnerUp = best;
    }
  }
  // Its own Windows set names the language's text wherever it reads alike.
  const CharsetCode home = kLanguages[answer.language].home;
  answer.set = sameReading(home, winner) ? home : winner;
  // A margin of m bits over the best table that reads the bytes otherwise:
  // 1 - 2^(-m/4), so 16 bits give 94.
  const double bits = runnerUp == kNone ? 1e9 : double(runnerUp - winnerCost) / 8.0;
  std::uint64_t upperBytes = 0;
  for (std::uint32_t count : byteCounts) upperBytes += count;
  answer.confidence = std::clamp(std::min(int(100.0 * (1.0 - std::exp2(-bits / 4.0))), EvidenceCap(upperBytes)), 0, 100);
  return answer;
}

}  // namespace recodo
