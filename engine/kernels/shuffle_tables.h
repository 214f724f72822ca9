// Byte shuffles that the vector levels load by mask: built at compile time,
// plain arrays so that reading them calls nothing.
#pragma once

#include <cstdint>

namespace recodo::kernels {

// For each set of kept 16-bit lanes of eight (bit i = lane i), the shuffle
// that packs them to the front.
struct PackTable {
  std::uint8_t shuffle[256][16];
};

constexpr PackTable BuildPackTable() {
  PackTable table{};
  for (int mask = 0; mask < 256; ++mask) {
    int out = 0;
    for (int lane = 0; lane < 8; ++lane) {
      if (mask & (1 << lane)) {
        table.shuffle[mask][out++] = static_cast<std::uint8_t>(2 * lane);
        table.shuffle[mask][out++] = static_cast<std::uint8_t>(2 * lane + 1);
      }
    }
    while (out < 16) table.shuffle[mask][out++] = 0x80;
  }
  return table;
}

inline constexpr PackTable kPackUnits = BuildPackTable();

struct ExpansionTable {
  std::uint8_t shuffle[256][16];
  std::uint8_t length[256];
};

// Eight 16-bit lanes each holding one or two UTF-8 bytes (bit i set: lane i
// holds two), laid out back to back.
constexpr ExpansionTable BuildTwoByteTable() {
  ExpansionTable table{};
  for (int mask = 0; mask < 256; ++mask) {
    int out = 0;
    for (int lane = 0; lane < 8; ++lane) {
      table.shuffle[mask][out++] = static_cast<std::uint8_t>(2 * lane);
      if (mask & (1 << lane)) table.shuffle[mask][out++] = static_cast<std::uint8_t>(2 * lane + 1);
    }
    table.length[mask] = static_cast<std::uint8_t>(out);
    while (out < 16) table.shuffle[mask][out++] = 0x80;
  }
  return table;
}

// Four 32-bit lanes holding one to three bytes: bit i of the index says lane
// i holds at least two, bit 4 + i that it holds three.
constexpr ExpansionTable BuildThreeByteTable() {
  ExpansionTable table{};
  for (int index = 0; index < 256; ++index) {
    int out = 0;
    for (int lane = 0; lane < 4; ++lane) {
      const int bytes = 1 + ((index >> lane) & 1) + ((index >> (4 + lane)) & 1);
      for (int k = 0; k < bytes; ++k) table.shuffle[index][out++] = static_cast<std::uint8_t>(4 * lane + k);
    }
    table.length[index] = static_cast<std::uint8_t>(out);
    while (out < 16) table.shuffle[index][out++] = 0x80;
  }
  return table;
}

inline constexpr ExpansionTable kTwoByteForms = BuildTwoByteTable();
inline constexpr ExpansionTable kThreeByteForms = BuildThreeByteTable();

}  // namespace recodo::kernels
