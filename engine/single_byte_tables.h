// Lookup tables derived at compile time from the byte tables: a full 256-entry
// decode table per set, and a two-level reverse table for encoding, so no
// call pays for building a 64 KiB table. Indexed by a set's table row.
#pragma once

#include <array>
#include <cstdint>

#include "charset_codes.h"
#include "codepage_tables.generated.h"
#include "kernels/dispatch.h"

namespace recodo::single_byte {

using DecodeTable = std::array<std::uint16_t, 256>;

constexpr std::array<DecodeTable, SingleByteTableCount> BuildDecodeTables() {
  std::array<DecodeTable, SingleByteTableCount> tables{};
  for (int set = 0; set < SingleByteTableCount; ++set)
    for (int byte = 0; byte < 256; ++byte)
      tables[set][byte] = byte < 0x80 ? std::uint16_t(byte) : CodePageTable[set][byte - 0x80];
  return tables;
}

inline constexpr std::array<DecodeTable, SingleByteTableCount> kDecode = BuildDecodeTables();

// The encoding rule: every unit maps to '?' unless a byte decodes to it; bytes
// are applied in ascending order, so when two bytes share a value the higher
// one wins, and U+FFFF lands on the set's highest undefined byte.
// Stored as 256 pages of 256 entries per set, pages holding only '?' shared.
constexpr int CountReversePages() {
  int pages = 1;  // the shared all-'?' page
  for (int set = 0; set < SingleByteTableCount; ++set) {
    bool used[256] = {};
    for (int byte = 0; byte < 256; ++byte) used[kDecode[set][byte] >> 8] = true;
    for (bool u : used) pages += u ? 1 : 0;
  }
  return pages;
}

inline constexpr int kReversePageCount = CountReversePages();

struct ReverseTables {
  std::uint16_t pageOf[SingleByteTableCount][256];
  std::uint8_t pages[kReversePageCount][256];
};

constexpr ReverseTables BuildReverseTables() {
  ReverseTables t{};
  for (auto& entry : t.pages[0]) entry = '?';
  int next = 1;
  for (int set = 0; set < SingleByteTableCount; ++set) {
    for (int byte = 0; byte < 256; ++byte) {
      const std::uint16_t unit = kDecode[set][byte];
      const int high = unit >> 8;
      if (t.pageOf[set][high] == 0) {
        t.pageOf[set][high] = std::uint16_t(next);
        for (auto& entry : t.pages[next]) entry = '?';
        ++next;
      }
      t.pages[t.pageOf[set][high]][unit & 0xFF] = std::uint8_t(byte);
    }
  }
  return t;
}

inline constexpr ReverseTables kReverse = BuildReverseTables();

inline std::uint8_t EncodeUnit(int row, std::uint16_t unit) {
  return kReverse.pages[kReverse.pageOf[row][unit >> 8]][unit & 0xFF];
}

// True when U+0000..U+007F encode to their own byte, which lets the encoder
// copy ASCII runs straight through. Only ISO-8859-12 breaks it (U+0000).
constexpr std::array<bool, SingleByteTableCount> BuildAsciiIdentity() {
  std::array<bool, SingleByteTableCount> identity{};
  for (int set = 0; set < SingleByteTableCount; ++set) {
    identity[set] = true;
    for (int unit = 0; unit < 0x80; ++unit)
      if (kReverse.pages[kReverse.pageOf[set][0]][unit] != unit) identity[set] = false;
  }
  return identity;
}

inline constexpr std::array<bool, SingleByteTableCount> kAsciiIdentity = BuildAsciiIdentity();

// The longest run of upper bytes that decode to consecutive units (such as
// the Cyrillic letters of Windows-1251 or ISO-8859-5). Inside it both
// directions are a plain addition, which whole vectors can do at once.
struct LinearRun {
  std::uint16_t firstByte = 0;
  std::uint16_t firstUnit = 0;
  std::uint16_t length = 0;  // 0: no run worth the trouble
};

constexpr std::array<LinearRun, SingleByteTableCount> BuildLinearRuns() {
  std::array<LinearRun, SingleByteTableCount> runs{};
  for (int set = 0; set < SingleByteTableCount; ++set) {
    LinearRun best;
    int start = 0x80;
    for (int byte = 0x81; byte <= 0x100; ++byte) {
      const bool continues = byte < 0x100 && kDecode[set][byte] != UndefinedUnit &&
                             kDecode[set][byte - 1] != UndefinedUnit &&
                             kDecode[set][byte] == kDecode[set][byte - 1] + 1;
      if (continues) continue;
      const int length = byte - start;
      // Bytes of the run must also be the ones that units of the run encode
      // to: no later byte may share one of its values.
      bool owned = kDecode[set][start] >= 0x80;
      for (int b = start; b < byte && owned; ++b)
        for (int other = b + 1; other < 256 && owned; ++other) owned = kDecode[set][other] != kDecode[set][b];
      if (owned && length > best.length) {
        best.firstByte = std::uint16_t(start);
        best.firstUnit = kDecode[set][start];
        best.length = std::uint16_t(length);
      }
      start = byte;
    }
    if (best.length >= 16) runs[set] = best;
  }
  return runs;
}

inline constexpr std::array<LinearRun, SingleByteTableCount> kLinearRuns = BuildLinearRuns();

// The upper half of each set's decode table as byte shuffles look it up
// (described with the kernels' own record of it).
using kernels::ShuffleRows;

constexpr std::array<ShuffleRows, SingleByteTableCount> BuildShuffleRows() {
  std::array<ShuffleRows, SingleByteTableCount> all{};
  for (int set = 0; set < SingleByteTableCount; ++set) {
    ShuffleRows& rows = all[set];
    for (int row = 0; row < 16; ++row) {
      const int first = row * 16;
      const std::uint16_t base = kDecode[set][first];
      bool affine = (base & 0xFF) <= 0xF0 && base < 0xFFF0;  // never U+FFFF
      for (int j = 0; j < 16 && affine; ++j) affine = kDecode[set][first + j] == base + j;
      if (affine) {
        rows.lowBase[row] = std::uint8_t(base & 0xFF);
        rows.highBase[row] = std::uint8_t(base >> 8);
        continue;
      }
      const int k = rows.irregularCount++;
      rows.firstByte[k] = std::uint8_t(first);
      for (int j = 0; j < 16; ++j) {
        rows.low[k][j] = std::uint8_t((kDecode[set][first + j] & 0xFF) - j);
        rows.high[k][j] = std::uint8_t(kDecode[set][first + j] >> 8);
      }
    }
  }
  return all;
}

inline constexpr std::array<ShuffleRows, SingleByteTableCount> kShuffleRows = BuildShuffleRows();

}  // namespace recodo::single_byte
