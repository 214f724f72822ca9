#include "guess_reading.h"

#include <algorithm>

#include "engine/engine.h"
#include "language_models.h"

namespace recodo::guess {
namespace {

// Past this many pairs the answer no longer changes, and counting stops.
constexpr std::uint32_t kEnoughPairs = 8 * 1024;

// ASCII letter pairs are looked at in this much of the text. They weigh a
// quarter: the models learnt them partly from word lists.
constexpr std::size_t kAsciiWindow = 4 * 1024;
constexpr int kAsciiWeightShift = 2;

}  // namespace

std::uint16_t UnitOf(TableRow set, int cls) {
  if (cls >= kHighBase) return kUnitOfByte[set][cls - kHighBase];
  return cls == 0 ? u' ' : cls < kLowerBase ? u'A' + (cls - kUpperBase) : u'a' + (cls - kLowerBase);
}

std::vector<PairCount> CountPairs(const std::uint8_t* data, std::size_t length, std::size_t* span) {
  *span = length;
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
  bool seen[128] = {};
  std::size_t i = 0;
  while (i < length) {
    // Runs of ASCII read alike through every table: step over them.
    i += engine::AsciiPrefix({data + i, length - i});
    if (i == length) break;
    // Past enough pairs only a byte not met before is counted: one that
    // first shows late may be all that tells two tables apart.
    const bool enough = counted >= kEnoughPairs;
    if (enough && *span == length) *span = i;
    if (enough && seen[data[i] - 0x80]) {
      ++i;
      continue;
    }
    seen[data[i] - 0x80] = true;
    const int cls = ClassOf(data[i]);
    if (i == 0 || data[i - 1] < 0x80 || enough) {
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

std::vector<std::uint64_t> AsciiLetterCosts(const std::uint8_t* data, std::size_t length) {
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
  std::vector<std::uint64_t> costs(kLanguageCount);
  for (int l = 0; l < kLanguageCount; ++l) {
    const LanguageModel m = LanguageOf(l);
    std::uint64_t cost = 0;
    for (int c = 0; c < used; ++c) {
      const int a = kFirstLetter + cells[c].index / 26, b = kFirstLetter + cells[c].index % 26;
      cost += std::uint64_t(cells[c].count) * m.costs[a * m.symbolCount + b];
    }
    costs[l] = cost >> kAsciiWeightShift;
  }
  return costs;
}

UpperBytes UpperBytesOf(const std::vector<PairCount>& pairs) {
  UpperBytes upper;
  for (const PairCount& p : pairs) {
    if (p.first >= kHighBase) upper.present[p.first - kHighBase] = true;
    if (p.second >= kHighBase) {
      upper.present[p.second - kHighBase] = true;
      upper.counts[p.second - kHighBase] += p.count;
      upper.total += p.count;
    }
  }
  return upper;
}

bool SameReading(TableRow a, TableRow b, const UpperBytes& upper) {
  for (int i = 0; i < 128; ++i)
    if (upper.present[i] && kUnitOfByte[a][i] != kUnitOfByte[b][i]) return false;
  return true;
}

std::vector<TableRow> GroupLeaders(const UpperBytes& upper) {
  TableRow order[kTableCount];
  for (TableRow set = 0; set < kTableCount; ++set) order[set] = set;
  std::sort(order, order + kTableCount, [](TableRow a, TableRow b) { return PreferenceRank(a) < PreferenceRank(b); });
  // A hash of each table's reading rules most pairs out at once.
  std::uint64_t signature[kTableCount];
  for (TableRow set = 0; set < kTableCount; ++set) {
    std::uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 128; ++i)
      if (upper.present[i]) h = (h ^ kUnitOfByte[set][i]) * 1099511628211ull;
    signature[set] = h;
  }
  std::vector<TableRow> leaders;
  for (TableRow set : order) {
    const bool joined = std::any_of(leaders.begin(), leaders.end(), [&](TableRow leader) {
      return signature[set] == signature[leader] && SameReading(set, leader, upper);
    });
    if (!joined) leaders.push_back(set);
  }
  return leaders;
}

}  // namespace recodo::guess
