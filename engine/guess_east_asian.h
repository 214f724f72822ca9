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
// a trace of faults. `asciiCost` is what the text's ASCII letters cost, and
// `length` is the span the single-byte scores cover, so that the costs
// compare with theirs; `ends`: the text ends there (no character is cut).
std::vector<EastAsianReading> ReadEastAsian(const std::uint8_t* data, std::size_t length, bool ends,
                                            std::uint64_t asciiCost);

// A seven-bit text that shifts into JIS X 0208 and decodes without a fault
// as ISO-2022-JP: how many two-byte characters it holds, else 0.
std::uint64_t Iso2022JpCharacters(const std::uint8_t* data, std::size_t length);

// The text as UTF-32 without a mark, little-endian (CharsetUtf32) or big
// (CharsetUtf32BE): every unit a character of an assigned plane, none
// U+0000, at most a quarter beyond the first plane, controls no more than
// text holds, and no UTF-16 or UTF-8 mark. CharsetCount when it is
// neither; *units counts them.
CharsetCode Utf32Shape(const std::uint8_t* data, std::size_t length, std::uint64_t* units);

// How the text reads as UTF-8: its well-formed sequences of two to four
// bytes, and its bytes 0x80 or above in none. A sequence cut by the end of
// a text that goes on is neither.
struct Utf8Shape {
  std::uint64_t sequences = 0, strays = 0;
};
Utf8Shape Utf8ShapeOf(const std::uint8_t* data, std::size_t length, bool ends);

}  // namespace recodo::guess
