// What the guess reads in a text before it scores anything: the pairs of
// neighbouring characters that tables read differently, the ASCII letter
// pairs that tell languages apart, and which tables read the text alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/charset_codes.h"

namespace recodo::guess {

// Byte classes: ASCII non-letters are all one (every model reads them as a
// word boundary), then the 26 capitals, the 26 small letters and the 128
// upper bytes, whose characters depend on the table.
inline constexpr int kUpperBase = 1, kLowerBase = 27, kHighBase = 53, kClassCount = 181;

constexpr int ClassOf(std::uint8_t b) {
  if (b >= 0x80) return kHighBase + (b - 0x80);
  if (b >= 'A' && b <= 'Z') return kUpperBase + (b - 'A');
  if (b >= 'a' && b <= 'z') return kLowerBase + (b - 'a');
  return 0;
}

// The single-byte sets are scored by the row of their byte table
// (SingleByteTableRow), 0..51.
using TableRow = int;
inline constexpr int kTableCount = SingleByteTableCount;

// The unit a table reads a class as.
std::uint16_t UnitOf(TableRow set, int cls);

struct PairCount {
  std::uint16_t first, second;  // classes
  std::uint32_t count;
};

// Pairs of neighbouring characters of which at least one is an upper byte:
// only those read differently through different tables. The heavy ones
// first. *span is how far into the text all pairs were counted: past it,
// only those of a byte not met before.
std::vector<PairCount> CountPairs(const std::uint8_t* data, std::size_t length, std::size_t* span);

// The cost of the text's ASCII letter pairs in each language, in eighths of
// a bit, at a quarter weight.
std::vector<std::uint64_t> AsciiLetterCosts(const std::uint8_t* data, std::size_t length);

// The upper bytes the pairs hold, and how often each stands second in a
// pair (once for each time it occurs).
struct UpperBytes {
  bool present[128] = {};
  std::uint32_t counts[128] = {};
  std::uint64_t total = 0;
};
UpperBytes UpperBytesOf(const std::vector<PairCount>& pairs);

// Whether two tables read the text's upper bytes as the same characters.
bool SameReading(TableRow a, TableRow b, const UpperBytes& upper);
// One table of each group that reads the text alike, the one a user would
// name: the language's own Windows set, else Windows, then ISO, KOI8, DOS,
// Mac.
std::vector<TableRow> GroupLeaders(const UpperBytes& upper);
// The order in which tables name a group.
constexpr int PreferenceRank(TableRow set) {
  if (set >= 15 && set <= 24) return set - 15;
  if (set <= 14) return 10 + set;
  if (set >= CharsetCount) return 25 + (set == SingleByteTableRow(CharsetIso8859_16) ? 0 : 1 + set - CharsetCount);
  return set + 3;  // DOS 28..43, then Mac 44..51
}

}  // namespace recodo::guess
