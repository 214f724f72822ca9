// Letter-pair models of the languages the single-byte sets are written in,
// and what the guess needs to know of every unit a byte table can produce.
#pragma once

#include <cstdint>

namespace recodo::guess {

enum UnitFlag : std::uint16_t {
  kLetter = 1,
  kUpper = 2,
  kMark = 4,  // combining mark: part of the letter before it
  kControl = 8,
  kUndefined = 16,
  kOddSign = 32,      // a sign beyond ASCII that real text keeps away from letters
  kPunctuation = 64,  // quotes, dashes and the like: read as a word boundary
  kApostrophe = 128,  // read as a boundary too, but at home between letters
  kQuote = 256,       // punctuation at home against a letter
  kOpening = 512,     // opens a quotation or a question: never right after a letter
};
inline constexpr int kScriptShift = 10;  // script number above the flags; 0 is none
inline int ScriptOf(std::uint16_t flags) { return flags >> kScriptShift; }

// Symbols every model shares; the letters a..z follow from kFirstLetter on.
inline constexpr std::uint8_t kBoundary = 0, kOtherLetter = 1, kOtherSign = 2, kFirstLetter = 3;

struct LanguageModel {
  const char* name;
  const char* tag;  // BCP 47
  std::uint8_t script;
  std::uint8_t home;  // the Windows set the language is written in
  std::uint8_t symbolCount;
  const std::uint8_t* symbols;  // per unit
  const std::uint8_t* costs;    // symbolCount x symbolCount, -log2 P(next | this) in 1/8 bit
};

// Unit of each upper byte per table: rows 0..48 are the sets of those codes,
// then KOI8-R, KOI8-U and ISO-8859-16 (SingleByteTableRow).
extern const std::uint16_t kUnitOfByte[][128];
extern const std::uint16_t kUnitFlags[];
// Built in code, not read from a table of pointers: programs load
// recodo.exe as a library, and some loaders leave such tables unrelocated.
LanguageModel LanguageOf(int language);
extern const int kLanguageCount;

}  // namespace recodo::guess
