#include "guess_east_asian.h"

#include <algorithm>
#include <memory>

#include "cjk_models.h"
#include "engine/engine.h"

namespace recodo::guess {
namespace {

// Costs, like the single-byte scores', in eighths of a bit.
constexpr std::uint32_t kFaultCost = 240;     // bytes the set cannot pair, or a character it lacks
constexpr std::uint32_t kControlCost = 240;   // a C1 control: no text holds one
// A step between ASCII and the set's characters: cheap at a space or a
// sign, dear inside a word. Real text runs on in its script; a Latin text
// misread gives one character at a time, each inside a word.
constexpr std::uint32_t kBoundaryCost = 24, kInWordBoundaryCost = 64;

// A letter of an alphabet that the set also holds (GB 18030 holds them
// all): about what a letter costs in the letter-pair models, and no sign of
// an East Asian language.
constexpr std::uint8_t kAlphabetLetterCost = 48;
// A sign any text may hold, as one of the single-byte sets' odd signs.
constexpr std::uint8_t kSignCost = 80;
constexpr bool IsAlphabetLetter(unsigned u) {
  return (u >= 0xC0 && u <= 0x24F && u != 0xD7 && u != 0xF7) || (u >= 0x386 && u <= 0x3FF) ||
         (u >= 0x400 && u <= 0x52F) || (u >= 0x5D0 && u <= 0x5EA) || (u >= 0x620 && u <= 0x64A) ||
         (u >= 0xE01 && u <= 0xE4E) || (u >= 0x1E00 && u <= 0x1EFF);
}

// What a set costs before a byte is read, as for the single-byte sets: about
// how much less often files are written in it than in Windows-1252.
struct EastAsianSet {
  CharsetCode set;
  std::uint32_t priorBits;
};
constexpr EastAsianSet kSets[] = {
    {CharsetShiftJis, 2}, {CharsetEucJp, 4}, {CharsetGbk, 2}, {CharsetGb18030, 5}, {CharsetBig5, 3}, {CharsetEucKr, 3},
};

// A text whose faults pass this share is not in the set; a stray byte or two
// in a long text is forgiven.
constexpr std::uint64_t kFaultsForgiven = 2;
constexpr std::uint64_t kCharactersPerFault = 32;
// The first piece is short: most texts are not in most of these sets, and
// show it in their first bytes.
constexpr std::size_t kFirstPiece = 1024, kPiece = 8 * 1024;

constexpr bool IsAsciiLetter(std::uint16_t u) { return (u | 0x20) >= 'a' && (u | 0x20) <= 'z'; }
// Quotes, brackets, stops and signs (degrees, arrows, the signs of
// arithmetic), which sit against letters and digits in any text.
constexpr bool IsPunctuation(std::uint16_t u) {
  return (u >= 0xA0 && u <= 0xBF) || u == 0xD7 || u == 0xF7 || (u >= 0x2010 && u <= 0x205E) ||
         (u >= 0x2190 && u <= 0x22FF) || (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF0F) ||
         (u >= 0xFF1A && u <= 0xFF20) || (u >= 0xFF3B && u <= 0xFF40) || (u >= 0xFF5B && u <= 0xFF65);
}

// Each language's cost of every UTF-16 unit, built at first use and kept
// for the process's life.
const std::uint8_t* CostsOf(int language) {
  static const std::uint8_t* const tables = [] {
    auto* t = new std::uint8_t[std::size_t(kCjkLanguageCount) * 65536];
    for (int l = 0; l < kCjkLanguageCount; ++l) {
      const CjkModel m = CjkLanguageOf(l);
      std::uint8_t* row = t + std::size_t(l) * 65536;
      std::fill(row, row + 65536, m.rareCost);
      for (unsigned u = 0x80; u < 0x2000; ++u)
        if (IsAlphabetLetter(u)) row[u] = kAlphabetLetterCost;
      for (unsigned u = 0xA0; u < 0x2300; ++u)
        if (IsPunctuation(std::uint16_t(u))) row[u] = kSignCost;
      for (std::uint16_t k = 0; k < m.count; ++k) row[m.units[k]] = std::min(row[m.units[k]], m.costs[k]);
      for (unsigned u = 0x80; u < 0xA0; ++u) row[u] = std::uint8_t(kControlCost);
      row[ReplacementCharacter] = std::uint8_t(kFaultCost);
    }
    return t;
  }();
  return tables + std::size_t(language) * 65536;
}

std::uint64_t Mix(std::uint64_t h, std::uint16_t unit) { return (h ^ unit) * 1099511628211ull; }

struct Tally {
  std::uint64_t costs[8] = {};
  std::uint64_t characters = 0, letters = 0, boundaryCost = 0;
  std::uint64_t signature = 1469598103934665603ull;
  std::uint16_t last = u' ';
  // The run of characters beyond ASCII under way: what stood before it, and
  // whether all of it so far are letters of an alphabet, or punctuation.
  bool afterLetter = false, alphabet = true, latin = true, punctuation = true;

  // What a run costs between the ASCII before it and `next` after it.
  // Letters of an alphabet sit in ASCII words as at home, and punctuation
  // beside them, but not inside one word; the set's own characters cost a
  // step in and out, and dearly inside a word.
  void EndRun(bool nextIsLetter) {
    if (alphabet) {
      // Letters of two scripts in one word, as the single-byte sets count them.
      if (!latin) boundaryCost += (afterLetter + nextIsLetter) * kInWordBoundaryCost;
      return;
    }
    if (punctuation) {
      if (afterLetter && nextIsLetter) boundaryCost += 2 * kInWordBoundaryCost;
      return;
    }
    boundaryCost += (afterLetter ? kInWordBoundaryCost : kBoundaryCost) +
                    (nextIsLetter ? kInWordBoundaryCost : kBoundaryCost);
  }
};

void Count(const std::uint16_t* units, std::size_t count, const std::uint8_t* const* tables, Tally* t) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t u = units[i];
    t->signature = Mix(t->signature, u);
    const bool ascii = u < 0x80, wasAscii = t->last < 0x80;
    if (ascii && !wasAscii) t->EndRun(IsAsciiLetter(u));
    if (!ascii && wasAscii) {
      t->afterLetter = IsAsciiLetter(t->last);
      t->alphabet = t->latin = t->punctuation = true;
    }
    t->last = u;
    if (ascii) continue;
    t->alphabet = t->alphabet && IsAlphabetLetter(u);
    t->latin = t->latin && (u < 0x250 || (u >= 0x1E00 && u <= 0x1EFF));
    t->punctuation = t->punctuation && IsPunctuation(u);
    ++t->characters;
    t->letters += IsAlphabetLetter(u);
    for (int l = 0; l < kCjkLanguageCount; ++l) t->costs[l] += tables[l][u];
  }
}

}  // namespace

std::vector<EastAsianReading> ReadEastAsian(const std::uint8_t* data, std::size_t length, bool ends,
                                            std::uint64_t asciiCost) {
  const std::uint8_t* tables[8];
  for (int l = 0; l < kCjkLanguageCount; ++l) tables[l] = CostsOf(l);
  std::unique_ptr<std::uint16_t[]> units(new std::uint16_t[kPiece]);
  std::vector<EastAsianReading> readings;
  for (const EastAsianSet& s : kSets) {
    Tally tally;
    engine::TextDecoding progress;
    bool fits = true;
    for (std::size_t at = 0, piece = kFirstPiece; at < length; piece = kPiece) {
      const std::size_t n = std::min(piece, length - at);
      // A text that does not end here may have a character cut.
      const bool last = at + n == length && ends;
      engine::DecodeMultiByte(s.set, {data + at, n}, last, units.get(), &progress);
      Count(units.get(), progress.units, tables, &tally);
      if (progress.substitutions > kFaultsForgiven + tally.characters / kCharactersPerFault) {
        fits = false;
        break;
      }
      if (progress.consumed == 0) break;  // only a cut character is left
      at += progress.consumed;
    }
    if (!fits || tally.characters == 0) continue;
    if (tally.last >= 0x80) tally.EndRun(false);
    int best = 0;
    for (int l = 1; l < kCjkLanguageCount; ++l)
      if (tally.costs[l] < tally.costs[best]) best = l;
    const std::uint64_t cost = asciiCost + s.priorBits * 8 + tally.costs[best] + tally.boundaryCost +
                               progress.substitutions * kFaultCost;
    // Mostly letters of an alphabet: text of another language in a set
    // that holds it.
    const int language = tally.letters * 2 > tally.characters ? -1 : best;
    readings.push_back({s.set, language, cost, tally.characters, tally.signature});
  }
  return readings;
}

std::uint64_t Iso2022JpCharacters(const std::uint8_t* data, std::size_t length) {
  if (std::find(data, data + length, 0x1B) == data + length) return 0;
  if (engine::AsciiPrefix({data, length}) != length) return 0;
  std::unique_ptr<std::uint16_t[]> units(new std::uint16_t[kPiece]);
  engine::TextDecoding progress;
  std::uint64_t characters = 0;
  for (std::size_t at = 0; at < length;) {
    const std::size_t n = std::min(kPiece, length - at);
    engine::DecodeMultiByte(CharsetIso2022Jp, {data + at, n}, false, units.get(), &progress);
    if (progress.substitutions != 0) return 0;
    // JIS-Roman's yen sign and overline are no sign of Japanese: a stray
    // ESC ( J in ASCII text gives them.
    characters += std::count_if(units.get(), units.get() + progress.units,
                                [](std::uint16_t u) { return u >= 0x80 && u != 0xA5 && u != 0x203E; });
    if (progress.consumed == 0) break;
    at += progress.consumed;
  }
  return characters;
}

CharsetCode Utf32Shape(const std::uint8_t* data, std::size_t length, std::uint64_t* units) {
  *units = length / 4;
  if (*units == 0) return CharsetCount;
  // A UTF-16 or UTF-8 mark says what the text is.
  if (length >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) return CharsetCount;
  if (length >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) return CharsetCount;
  const std::uint64_t trace = std::max<std::uint64_t>(1, *units / 256);
  for (const bool big : {false, true}) {
    std::uint64_t controls = 0, beyond = 0;
    bool fits = true;
    for (std::size_t i = 0; i + 4 <= length && fits; i += 4) {
      const std::uint8_t* b = data + i;
      const std::uint32_t c = big ? std::uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3]
                                  : std::uint32_t(b[3]) << 24 | b[2] << 16 | b[1] << 8 | b[0];
      // UTF-16 text whose every other unit is a line break or a tab makes
      // code points of the planes nothing is assigned in (3 to 13).
      fits = c != 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF) && (c < 0x30000 || c >= 0xE0000);
      beyond += c > 0xFFFF;
      // The controls text never holds, as for bytes that are not text.
      controls += (c < 0x20 && !((c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x1B)) || (c >= 0x80 && c < 0xA0);
    }
    // Text beyond the first plane is rare: emoji and old scripts among
    // common characters, not most of them.
    if (fits && controls <= trace && beyond * 4 <= *units) return big ? CharsetUtf32BE : CharsetUtf32;
  }
  return CharsetCount;
}

Utf8Shape Utf8ShapeOf(const std::uint8_t* data, std::size_t length, bool ends) {
  Utf8Shape shape;
  for (std::size_t i = 0; i < length;) {
    i += engine::AsciiPrefix({data + i, length - i});
    if (i == length) break;
    const std::uint8_t b = data[i];
    const std::size_t need = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : 0;
    if (need == 0) {
      ++shape.strays;
      ++i;
      continue;
    }
    if (i + need >= length && !ends) break;  // cut by the window's end
    std::size_t k = 1;
    while (k <= need && i + k < length && (data[i + k] & 0xC0) == 0x80) ++k;
    // The second byte's range rules out overlong forms, surrogates and
    // code points past U+10FFFF.
    const std::uint8_t second = i + 1 < length ? data[i + 1] : 0;
    const bool inRange = (b != 0xE0 || second >= 0xA0) && (b != 0xED || second < 0xA0) &&
                         (b != 0xF0 || second >= 0x90) && (b != 0xF4 || second < 0x90);
    if (k == need + 1 && inRange) {
      ++shape.sequences;
      i += k;
    } else {
      ++shape.strays;
      ++i;
    }
  }
  return shape;
}

}  // namespace recodo::guess
