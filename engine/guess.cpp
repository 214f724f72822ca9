#include "guess.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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
constexpr std::uint32_t kUndefinedCost = 240;  // a byte the table does not define
constexpr std::uint32_t kControlCost = 240;    // a C1 control: no text holds one
constexpr std::uint32_t kMixedScriptCost = 64;  // letters of two scripts in one word
constexpr std::uint32_t kCaseFlipCost = 24;     // a capital right after a small letter

std::uint32_t UnitPairExtra(std::uint16_t first, std::uint16_t second) {
  const std::uint8_t a = kUnitFlags[first], b = kUnitFlags[second];
  std::uint32_t extra = 0;
  if (b & kUndefined) extra += kUndefinedCost;
  if ((b & kControl) && second >= 0x80) extra += kControlCost;
  const bool letters = (a & (kLetter | kMark)) && (b & (kLetter | kMark));
  if (letters && ScriptOf(a) && ScriptOf(b) && ScriptOf(a) != ScriptOf(b)) extra += kMixedScriptCost;
  if ((a & kLetter) && !(a & kUpper) && (b & kUpper)) extra += kCaseFlipCost;
  return extra;
}

// Windows first, then ISO, then DOS, then Mac: the name a user would give.
constexpr int PreferenceRank(CharsetCode set) {
  if (set >= 15 && set <= 24) return set - 15;
  if (set <= 14) return 10 + set;
  return set;  // DOS 25..40, then Mac 41..48
}

struct PairCount {
  std::uint16_t first, second;  // classes
  std::uint32_t count;
};

std::vector<PairCount> CountPairs(const std::uint8_t* data, std::size_t length, bool* highSeen) {
  std::vector<std::uint32_t> slot(kClassCount * kClassCount, 0);  // 1 + index into pairs
  std::vector<PairCount> pairs;
  pairs.reserve(1024);
  int prev = 0;
  *highSeen = false;
  for (std::size_t i = 0; i < length; ++i) {
    const int cls = ClassOf(data[i]);
    std::uint32_t& s = slot[prev * kClassCount + cls];
    if (s == 0) {
      pairs.push_back({std::uint16_t(prev), std::uint16_t(cls), 0});
      s = std::uint32_t(pairs.size());
    }
    ++pairs[s - 1].count;
    prev = cls;
  }
  for (const auto& p : pairs)
    if (p.second >= kHighBase) *highSeen = true;
  return pairs;
}

}  // namespace

const char* GuessLanguageName(int language) {
  return language >= 0 && language < kLanguageCount ? kLanguages[language].name : "";
}

CharsetGuess GuessSingleByteSet(const std::uint8_t* data, std::size_t length) {
  length = std::min(length, kGuessWindow);
  bool highSeen = false;
  const std::vector<PairCount> pairs = CountPairs(data, length, &highSeen);

  // The ASCII pairs read the same through every table: score them once per language.
  std::vector<std::uint64_t> asciiCost(kLanguageCount, 0);
  std::vector<const PairCount*> high;
  for (const auto& p : pairs) {
    if (p.first >= kHighBase || p.second >= kHighBase) {
      high.push_back(&p);
      continue;
    }
    for (int l = 0; l < kLanguageCount; ++l) {
      const LanguageModel& m = kLanguages[l];
      const int a = m.symbols[AsciiUnitOf(p.first)], b = m.symbols[AsciiUnitOf(p.second)];
      asciiCost[l] += std::uint64_t(p.count) * m.costs[a * m.symbolCount + b];
    }
  }
  CharsetGuess answer;
  if (!highSeen) {
    answer.language = int(std::min_element(asciiCost.begin(), asciiCost.end()) - asciiCost.begin());
    answer.confidence = 100;
    return answer;
  }

  bool present[128] = {};
  for (const PairCount* p : high) {
    if (p->first >= kHighBase) present[p->first - kHighBase] = true;
    if (p->second >= kHighBase) present[p->second - kHighBase] = true;
  }

  constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t best[CharsetCount];
  int bestLanguage[CharsetCount];
  std::vector<std::uint16_t> firstUnit(high.size()), secondUnit(high.size());
  std::vector<std::uint32_t> extra(high.size());
  for (CharsetCode set = 0; set < CharsetCount; ++set) {
    best[set] = kNone;
    bestLanguage[set] = -1;
    const auto unitOf = [set](int cls) -> std::uint16_t {
      return cls >= kHighBase ? kUnitOfByte[set][cls - kHighBase] : AsciiUnitOf(cls);
    };
    bool anyLanguage = false;
    for (int l = 0; l < kLanguageCount && !anyLanguage; ++l) anyLanguage = kLanguages[l].sets >> set & 1;
    if (!anyLanguage) continue;
    for (std::size_t i = 0; i < high.size(); ++i) {
      firstUnit[i] = unitOf(high[i]->first);
      secondUnit[i] = unitOf(high[i]->second);
      extra[i] = UnitPairExtra(firstUnit[i], secondUnit[i]);
    }
    for (int l = 0; l < kLanguageCount; ++l) {
      const LanguageModel& m = kLanguages[l];
      if (!(m.sets >> set & 1)) continue;
      std::uint64_t cost = asciiCost[l];
      for (std::size_t i = 0; i < high.size() && cost < best[set]; ++i) {
        const int a = m.symbols[firstUnit[i]], b = m.symbols[secondUnit[i]];
        cost += std::uint64_t(high[i]->count) * (m.costs[a * m.symbolCount + b] + extra[i]);
      }
      if (cost < best[set]) {
        best[set] = cost;
        bestLanguage[set] = l;
      }
    }
  }

  CharsetCode winner = -1;
  for (CharsetCode set = 0; set < CharsetCount; ++set) {
    if (best[set] == kNone) continue;
    if (winner < 0 || best[set] < best[winner] ||
        (best[set] == best[winner] && PreferenceRank(set) < PreferenceRank(winner)))
      winner = set;
  }
  if (winner < 0) return answer;  // no table holds any modelled language

  // Sets that read these bytes as the same characters are the same answer:
  // name the preferred one; the runner-up is the best set that reads them otherwise.
  const auto sameReading = [&present](CharsetCode a, CharsetCode b) {
    for (int i = 0; i < 128; ++i)
      if (present[i] && kUnitOfByte[a][i] != kUnitOfByte[b][i]) return false;
    return true;
  };
  CharsetCode named = winner;
  std::uint64_t runnerUp = kNone;
  for (CharsetCode set = 0; set < CharsetCount; ++set) {
    if (sameReading(set, winner)) {
      if (PreferenceRank(set) < PreferenceRank(named)) named = set;
    } else if (best[set] < runnerUp) {
      runnerUp = best[set];
    }
  }
  answer.set = named;
  answer.language = bestLanguage[winner];
  if (runnerUp == kNone) {
    answer.confidence = 100;
  } else {
    // A margin of m bits over the runner-up: 1 - 2^(-m/4), so 16 bits give 94.
    const double bits = double(runnerUp - best[winner]) / 8.0;
    answer.confidence = std::clamp(int(100.0 * (1.0 - std::exp2(-bits / 4.0))), 0, 100);
  }
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
