// How a text reads through the East Asian sets: which of them pair its bytes
// without a fault, and how common the characters are that each pairing
// gives in Japanese, Chinese or Korean.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/charset_codes.h"

namespace recodo::guess {

struct EastAsianReading {
  CharsetCode set;
  int language;              // CjkLanguageOf; -1 for text mostly in an alphabet
  std::uint64_t cost;        // in eighths of a bit, as the single-byte scores
  std::uint64_t characters;  // characters beyond ASCII it read
  std::uint64_t signature;   // equal for sets that read the text alike
};

// Every East Asian set but ISO-2022-JP that reads the text without more than
// a trace of faults. `asciiCost` is what the text's ASCII letters cost, so
// that the costs compare with the single-byte sets' scores.
std::vector<EastAsianReading> ReadEastAsian(const std::uint8_t* data, std::size_t length, std::uint64_t asciiCost);

// A seven-bit text that shifts into JIS X 0208 and decodes without a fault
// as ISO-2022-JP: how many two-byte characters it holds, else 0.
std::uint64_t Iso2022JpCharacters(const std::uint8_t* data, std::size_t length);

// The text as UTF-32 without a mark, little-endian (CharsetUtf32) or big
// (CharsetUtf32BE): every unit a character, none U+0000, controls no more
// than text holds. CharsetCount when it is neither; *units counts them.
CharsetCode Utf32Shape(const std::uint8_t* data, std::size_t length, std::uint64_t* units);

}  // namespace recodo::guess
