#include "guess.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "detector.h"
#include "language_models.h"
#include "platform/read_only_file.h"

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

std::uint32_t UnitPairExtra(std::uint16_t first, std::uint16_t second) {
  const std::uint16_t a = kUnitFlags[first], b = kUnitFlags[second];
  std::uint32_t extra = 0;
  if (b & kUndefined) extra += kUndefinedCost;
  if (b & (kPunctuation | kApostrophe)) extra += kPunctuationCost;
  if (((a & kPunctuation) && (b & kLetter)) || ((a & kLetter) && (b & kPunctuation))) extra += kPunctuationAtLetterCost;
  if ((b & kControl) && second >= 0x80) extra += kControlCost;
  const bool letters = (a & (kLetter | kMark)) && (b & (kLetter | kMark));
  if (letters && ScriptOf(a) && ScriptOf(b) && ScriptOf(a) != ScriptOf(b)) extra += kMixedScriptCost;
  if ((a & kLetter) && !(a & kUpper) && (b & kUpper)) extra += kCaseFlipCost;
  if (((a & kOddSign) && (b & kLetter)) || ((a & kLetter) && (b & kOddSign))) extra += kOddSignCost;
  return extra;
}

// Windows first, then ISO, then DOS, then Mac: the name a user would give.
constexpr int PreferenceRank(CharsetCode set) {
  if (set >= 15 && set <= 24) return set - 15;
  if (set <= 14) return 10 + set;
  return set;  // DOS 25..40, then Mac 41..48
}

// Pairs of neighbouring characters of which at least one is an upper byte:
// only those read differently through different tables. Past this many the
// answer no longer changes, and counting stops.
constexpr std::uint32_t kEnoughPairs = 12 * 1024;

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
    std::uint64_t word;
    if (i + 8 <= length && (std::memcpy(&word, data + i, 8), (word & 0x8080808080808080ull) == 0)) {
      i += 8;
      continue;
    }
    if (data[i] < 0x80) {
      ++i;
      continue;
    }
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
constexpr std::size_t kAsciiWindow = 16 * 1024;

void AddAsciiLetterCosts(const std::uint8_t* data, std::size_t length, std::uint64_t* costs) {
  std::uint32_t counts[26][26] = {};
  length = std::min(length, kAsciiWindow);
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned a = (data[i - 1] | 0x20) - 'a', b = (data[i] | 0x20) - 'a';
    if (a < 26 && b < 26) ++counts[a][b];
  }
  for (int l = 0; l < kLanguageCount; ++l) {
    const LanguageModel& m = kLanguages[l];
    std::uint64_t cost = 0;
    for (int a = 0; a < 26; ++a)
      for (int b = 0; b < 26; ++b)
        if (counts[a][b]) cost += std::uint64_t(counts[a][b]) * m.costs[(3 + a) * m.symbolCount + 3 + b];
    costs[l] = cost;
  }
}

// A set's costs are only needed exactly up to where the confidence is full.
constexpr std::uint64_t kDecisiveMargin = 48 * 8;

}  // namespace

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
  for (const PairCount& p : pairs) {
    if (p.first >= kHighBase) present[p.first - kHighBase] = true;
    if (p.second >= kHighBase) present[p.second - kHighBase] = true;
  }
  // Sets that read these bytes as the same characters score the same: score
  // the preferred one of each group.
  const auto sameReading = [&present](CharsetCode a, CharsetCode b) {
    for (int i = 0; i < 128; ++i)
      if (present[i] && kUnitOfByte[a][i] != kUnitOfByte[b][i]) return false;
    return true;
  };
  CharsetCode order[CharsetCount];
  for (CharsetCode set = 0; set < CharsetCount; ++set) order[set] = set;
  std::sort(order, order + CharsetCount,
            [](CharsetCode a, CharsetCode b) { return PreferenceRank(a) < PreferenceRank(b); });
  CharsetCode groupOf[CharsetCount];
  for (int i = 0; i < CharsetCount; ++i) {
    groupOf[order[i]] = order[i];
    for (int j = 0; j < i; ++j)
      if (groupOf[order[j]] == order[j] && sameReading(order[i], order[j])) {
        groupOf[order[i]] = order[j];
        break;
      }
  }

  std::vector<std::uint64_t> asciiCost(kLanguageCount, 0);
  if (!std::getenv("GUESS_NOASCII")) AddAsciiLetterCosts(data, length, asciiCost.data());

  constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t best[CharsetCount];
  int bestLanguage[CharsetCount];
  std::uint64_t bound = kNone;  // best so far plus the decisive margin
  std::vector<std::uint16_t> firstUnit(pairs.size()), secondUnit(pairs.size());
  std::vector<std::uint32_t> extra(pairs.size());
  for (int i = 0; i < CharsetCount; ++i) {
    const CharsetCode set = order[i];
    best[set] = kNone;
    bestLanguage[set] = -1;
    if (groupOf[set] != set) continue;
    bool anyLanguage = false;
    for (int l = 0; l < kLanguageCount && !anyLanguage; ++l) anyLanguage = kLanguages[l].sets >> set & 1;
    if (!anyLanguage) continue;
    const auto unitOf = [set](int cls) -> std::uint16_t {
      return cls >= kHighBase ? kUnitOfByte[set][cls - kHighBase] : AsciiUnitOf(cls);
    };
    std::uint64_t lettersOf[8] = {}, letters = 0;  // upper-byte letters of each script in this reading
    for (std::size_t k = 0; k < pairs.size(); ++k) {
      firstUnit[k] = unitOf(pairs[k].first);
      secondUnit[k] = unitOf(pairs[k].second);
      extra[k] = UnitPairExtra(firstUnit[k], secondUnit[k]);
      const std::uint16_t flags = kUnitFlags[secondUnit[k]];
      if (pairs[k].second >= kHighBase && (flags & kLetter)) {
        lettersOf[ScriptOf(flags)] += pairs[k].count;
        letters += pairs[k].count;
      }
    }
    for (int l = 0; l < kLanguageCount; ++l) {
      const LanguageModel& m = kLanguages[l];
      if (!(m.sets >> set & 1)) continue;
      // A language is written mostly in its own script: a reading without
      // its letters is not that language.
      if (m.script != kLatinScript ? lettersOf[m.script] * 2 <= letters
                                   : lettersOf[kLatinScript] * 2 < letters)
        continue;
      const std::uint64_t stop = std::min(best[set], bound);
      std::uint64_t cost = asciiCost[l];
      for (std::size_t k = 0; k < pairs.size() && cost < stop; ++k) {
        const int a = m.symbols[firstUnit[k]], b = m.symbols[secondUnit[k]];
        cost += std::uint64_t(pairs[k].count) * (m.costs[a * m.symbolCount + b] + extra[k]);
      }
      if (cost < best[set] || (cost == best[set] && bestLanguage[set] < 0)) {
        best[set] = cost;
        bestLanguage[set] = l;
      }
    }
    if (best[set] < kNone - kDecisiveMargin) bound = std::min(bound, best[set] + kDecisiveMargin);
  }

  if (std::getenv("GUESS_DEBUG"))
    for (CharsetCode set = 0; set < CharsetCount; ++set)
      if (best[set] != kNone) std::fprintf(stderr, "  set %d: %.1f bits %s\n", set, best[set] / 8.0, bestLanguage[set] >= 0 ? kLanguages[bestLanguage[set]].name : "-");
  CharsetCode winner = -1;
  for (int i = 0; i < CharsetCount; ++i) {
    const CharsetCode set = order[i];
    if (best[set] != kNone && (winner < 0 || best[set] < best[winner])) winner = set;
  }
  if (winner < 0) return answer;  // no table holds any modelled language

  std::uint64_t runnerUp = kNone;
  for (CharsetCode set = 0; set < CharsetCount; ++set)
    if (groupOf[set] == set && set != winner && best[set] < runnerUp) runnerUp = best[set];
  answer.set = winner;
  answer.language = bestLanguage[winner];
  // A margin of m bits over the best table that reads the bytes otherwise:
  // 1 - 2^(-m/4), so 16 bits give 94.
  const double bits = runnerUp == kNone ? 1e9 : double(runnerUp - best[winner]) / 8.0;
  answer.confidence = std::clamp(int(100.0 * (1.0 - std::exp2(-bits / 4.0))), 0, 100);
  return answer;
}

CharsetGuess GuessFileForConversion(const char16_t* path) {
  CharsetGuess answer;
  const CharsetCode detected = DetectFileForConversion(path);
  answer.set = detected;
  answer.confidence = 100;
  if (detected != CharsetIso8859_1 && detected != CharsetWindows1252) return answer;

  platform::ReadOnlyFile file;
  if (!file.Open(path)) return answer;
  std::unique_ptr<std::uint8_t[]> window(new (std::nothrow) std::uint8_t[kGuessWindow]);
  if (!window) return answer;
  const std::size_t got = platform::ReadUpTo(file, window.get(), kGuessWindow);
  const bool high = std::any_of(window.get(), window.get() + got, [](std::uint8_t b) { return b >= 0x80; });
  if (!high) return answer;
  return GuessSingleByteSet(window.get(), got);
}

}  // namespace recodo
