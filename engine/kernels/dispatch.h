// The engine's inner loops, one set per instruction-set level, reached
// through a table of function pointers chosen once per process: at the
// first call, from what the processor has and RECODO_KERNELS. Every kernel
// takes what it can in whole blocks of plain input and says how far it got;
// the exact scalar code of the exported functions does everything else.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/charset_codes.h"

namespace recodo::kernels {

// In rising order; each level needs the instructions of the ones before.
enum class Level : int { Portable = 0, Baseline = 1, Avx2 = 2, Avx512 = 3 };
inline constexpr int kLevelCount = 4;

// A set's decode table in the form byte shuffles look it up: by the high
// nibble of a byte, a base for each byte of the unit, the low nibble added
// to the low byte's. That is the whole lookup for ASCII and for every row of
// 16 bytes that decodes to 16 consecutive units within one 256-unit page
// (most of Latin-1, Cyrillic, Greek). Each other row has its own 16 entries,
// its low bytes less the nibble, so that the same addition lands on the
// unit; most sets have two to four such rows.
struct ShuffleRows {
  std::uint8_t lowBase[16] = {};
  std::uint8_t highBase[16] = {};
  int irregularCount = 0;
  std::uint8_t firstByte[8] = {};  // of each irregular row, in rising order
  std::uint8_t low[8][16] = {};
  std::uint8_t high[8][16] = {};
};

// What the single-byte kernels need of a set, prepared at compile time.
struct SingleByteSet {
  const std::uint16_t* decode;          // 256 units, by byte
  const std::uint16_t* pageOf;          // 256 page numbers, by the unit's high byte
  const std::uint8_t (*pages)[256];     // bytes, by page and the unit's low byte
  bool asciiIdentity;                   // U+0000..U+007F encode to their own byte
  // The longest run of upper bytes that decode to consecutive units, which
  // both directions can add their way through (runLength 0: none).
  std::uint16_t runFirstByte;
  std::uint16_t runFirstUnit;
  std::uint16_t runLength;
  const ShuffleRows* rows;
};

struct Table {
  // UTF-8 measuring pass and decoding: the characters of the leading blocks
  // that hold only well-formed forms whose values the pass accepts. Adds to
  // *units, sets ConvMultiByteSeen in *r for what it took; returns the bytes
  // taken, always a whole number of characters.
  std::size_t (*utf8Measure)(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r);
  std::size_t (*utf8Decode)(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                            ConvResult* r);
  // UTF-16 to UTF-8: the size query's count, whole; and the conversion of
  // leading units without lone surrogates while the capacity leaves room,
  // advancing *p. Returns the units taken. Writes no byte past what the
  // whole conversion writes.
  std::uint64_t (*utf8Size)(const std::uint16_t* src, std::size_t n);
  std::size_t (*utf8Encode)(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                            std::size_t* p);
  // Below this many units, one at a time is quicker than the conversion
  // kernel's windows and its padded tail (0: the kernel always).
  std::size_t utf8EncodeFrom;
  // Single-byte decoding of n bytes, whole; true when an undefined byte was met.
  bool (*singleDecode)(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst);
  // Single-byte encoding of n units, whole.
  void (*singleEncode)(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst);
  // n bytes of a set whose bytes below 0x80 are ASCII, straight into UTF-8
  // through its forms (utf8_forms.h), whole: returns the bytes written, at
  // most 3n; writes no further than 3n + 1. ORs the forms of the bytes from
  // 0x80 up into *seen.
  std::size_t (*singleToUtf8)(const std::uint32_t* forms, const std::uint8_t* src, std::size_t n, std::uint8_t* dst,
                              std::uint32_t* seen);
  // Swaps the bytes of n units in place, all of them.
  void (*swapBytes)(std::uint16_t* buffer, std::size_t n);
  // Units before the first that is a or b (n when there is none): line
  // breaks, the '<' of markup.
  std::size_t (*unitsBefore)(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b);
  // Bytes before the first 0x80 or above (n when there is none).
  std::size_t (*asciiPrefix)(const std::uint8_t* src, std::size_t n);
  // Whether any of n units is a surrogate.
  bool (*anySurrogate)(const std::uint16_t* src, std::size_t n);
  // The leading ASCII bytes as units, and the leading units below 0x80 as
  // bytes, for the decoders and encoders of the longer sets: returns how
  // many it took. Writes nothing past them.
  std::size_t (*asciiWiden)(const std::uint8_t* src, std::size_t n, std::uint16_t* dst);
  std::size_t (*asciiNarrow)(const std::uint16_t* src, std::size_t n, std::uint8_t* dst);
};

const char* LevelName(Level level);

// True when the level is built in and this processor can run it.
bool Runs(Level level);

// From now on every call goes to this level's kernels, which must run here.
// For tests and benchmarks, while no other thread calls the engine.
void Use(Level level);

// The level in use.
Level Current();

// The level a RECODO_KERNELS setting (null when unset) picks when `best` is
// the best this processor runs: a lower level it names, else `best`.
Level PickLevel(const char* setting, Level best);

// The table in use; the first call chooses it. One load and a test after
// that, behind a call.
const Table& Active();

}  // namespace recodo::kernels
