// Decoding and encoding of the table-driven East Asian sets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "multibyte_tables.h"

namespace recodo::multibyte {

// Decodes n bytes into `out` (one unit a byte at most) and returns the units
// written; *consumed is what it took. Unless `last`, it stops before a
// sequence the end may cut. Malformed or unmapped input becomes U+FFFD.
std::size_t Decode(TableIndex index, const std::uint8_t* bytes, std::size_t n, bool last, std::uint16_t* out,
                   std::size_t* consumed, std::uint64_t* substitutions);
// Encodes n units into `out` (four bytes a unit at most); returns the bytes
// written. What the set lacks becomes '?' and adds to *losses, or for U+FFFD
// and U+FFFF, stand-ins of something lost before, to *standIns.
std::size_t Encode(TableIndex index, const std::uint16_t* units, std::size_t n, std::uint8_t* out,
                   std::uint64_t* losses, std::uint64_t* standIns);
// The encoder's table entry of a unit (kNone when the table has none).
std::uint16_t EncodedCode(TableIndex index, std::uint16_t unit);
// The decoder's flat table of two-byte sequences, by (lead - 0x80) << 8 |
// trail: a character or kNone.
const std::uint16_t* PairTable(TableIndex index);

}  // namespace recodo::multibyte
