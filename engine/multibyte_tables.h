// The byte tables of the East Asian sets, as tools/gen_multibyte_tables.py
// writes them: what each single byte is, and the characters of the longer
// sequences. The encoders' tables are built from these at first use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo::multibyte {

inline constexpr std::uint16_t kNone = 0xFFFF;  // no character, or no sequence
inline constexpr std::uint16_t kLead = 0xFFFE;  // a byte that starts a longer sequence
// A preference for GB 18030's four-byte form over the table's.
inline constexpr std::uint16_t kFourBytes = 0xFFFE;

// A run of consecutive BMP characters among GB 18030's four-byte sequences,
// the sequences counted from 81 30 81 30.
struct FourByteRange {
  std::uint32_t index;
  std::uint16_t first;
};

// A character encoded otherwise than by the first sequence decoding to it.
struct Preference {
  std::uint16_t unit;
  std::uint16_t code;  // as the encoder's table holds it
};

struct DoubleByteTables {
  const std::uint16_t* single;  // 256: a character, kLead or kNone
  const std::uint16_t* pairs;   // by (lead - leadMin) and (trail - trailMin)
  std::uint8_t leadMin, leadMax, trailMin, trailMax;
  const std::uint16_t* triples;  // EUC-JP's 8F xx yy, 94 by 94; or null
  const FourByteRange* ranges;   // GB 18030's; or null
  std::size_t rangeCount;
  const Preference* preferred;
  std::size_t preferredCount;
};

enum TableIndex { kShiftJis, kEucJp, kGbk, kGb18030, kBig5, kEucKr, kTableCount };

// The tables of a set, their addresses taken in code.
DoubleByteTables TablesOf(TableIndex index);

}  // namespace recodo::multibyte
