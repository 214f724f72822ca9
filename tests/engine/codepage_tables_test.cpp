#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/codepage_tables.generated.h"

using recodo::CodePageTable;

namespace {

// The complete lists of undefined bytes, against which the generated tables
// are checked. Ranges are inclusive.
std::set<int> Bytes(std::initializer_list<std::pair<int, int>> ranges) {
  std::set<int> out;
  for (auto [from, to] : ranges)
    for (int b = from; b <= to; ++b) out.insert(b);
  return out;
}

const std::vector<std::set<int>>& UndefinedBytes() {
  static const std::vector<std::set<int>> table = {
      {},                                                                                          // 0
      {},                                                                                          // 1
      Bytes({{0xA5, 0xA5}, {0xAE, 0xAE}, {0xBE, 0xBE}, {0xC3, 0xC3}, {0xD0, 0xD0}, {0xE3, 0xE3}, {0xF0, 0xF0}}),
      {},                                                                                          // 3
      {},                                                                                          // 4
      Bytes({{0xA1, 0xA3}, {0xA5, 0xAB}, {0xAE, 0xBA}, {0xBC, 0xBE}, {0xC0, 0xC0}, {0xDB, 0xDF}, {0xF3, 0xFF}}),
      Bytes({{0xAE, 0xAE}, {0xD2, 0xD2}, {0xFF, 0xFF}}),                                           // 6
      Bytes({{0xA1, 0xA1}, {0xBF, 0xDE}, {0xFB, 0xFC}, {0xFF, 0xFF}}),                             // 7
      {},                                                                                          // 8
      {},                                                                                          // 9
      Bytes({{0xA0, 0xA0}, {0xDB, 0xDE}, {0xFC, 0xFF}}),                                           // 10
      Bytes({{0xA0, 0xA0}}),                                                                       // 11
      {}, {}, {},                                                                                  // 12-14
      Bytes({{0x81, 0x84}, {0x86, 0x90}, {0x98, 0x9F}, {0xDB, 0xDE}, {0xFC, 0xFF}}),               // 15
      Bytes({{0x81, 0x81}, {0x83, 0x83}, {0x88, 0x88}, {0x90, 0x90}, {0x98, 0x98}}),               // 16
      Bytes({{0x98, 0x98}}),                                                                       // 17
      Bytes({{0x81, 0x81}, {0x8D, 0x8D}, {0x8F, 0x90}, {0x9D, 0x9D}}),                             // 18
      Bytes({{0x81, 0x81}, {0x88, 0x88}, {0x8A, 0x8A}, {0x8C, 0x90}, {0x98, 0x98}, {0x9A, 0x9A}, {0x9C, 0x9F},
             {0xAA, 0xAA}, {0xD2, 0xD2}, {0xFF, 0xFF}}),                                           // 19
      Bytes({{0x81, 0x81}, {0x8D, 0x90}, {0x9D, 0x9E}}),                                           // 20
      Bytes({{0x81, 0x81}, {0x8A, 0x8A}, {0x8C, 0x90}, {0x9A, 0x9A}, {0x9C, 0x9F}, {0xCA, 0xCA}, {0xD9, 0xDF},
             {0xFB, 0xFC}, {0xFF, 0xFF}}),                                                         // 21
      {},                                                                                          // 22
      Bytes({{0x81, 0x81}, {0x83, 0x83}, {0x88, 0x88}, {0x8A, 0x8A}, {0x8C, 0x8C}, {0x90, 0x90}, {0x98, 0x98},
             {0x9A, 0x9A}, {0x9C, 0x9C}, {0x9F, 0x9F}, {0xA1, 0xA1}, {0xA5, 0xA5}}),               // 23
      Bytes({{0x81, 0x81}, {0x8A, 0x8A}, {0x8D, 0x90}, {0x9A, 0x9A}, {0x9D, 0x9E}}),               // 24
      {}, {}, {}, {}, {}, {},                                                                      // 25-30
      Bytes({{0xD5, 0xD5}, {0xE7, 0xE7}, {0xF2, 0xF2}}),                                           // 31
      {}, {}, {}, {},                                                                              // 32-35
      Bytes({{0x9B, 0x9C}, {0x9F, 0x9F}, {0xA6, 0xA7}, {0xFF, 0xFF}}),                             // 36
      {}, {},                                                                                      // 37-38
      Bytes({{0x80, 0x85}, {0x87, 0x87}, {0x93, 0x94}}),                                           // 39
      Bytes({{0x81, 0x84}, {0x86, 0x90}, {0x98, 0x9F}, {0xDB, 0xDE}, {0xFC, 0xFF}}),               // 40
      {},                                                                                          // 41
      Bytes({{0xFF, 0xFF}}),                                                                       // 42
      Bytes({{0xF0, 0xF0}}),                                                                       // 43
      {},                                                                                          // 44
      Bytes({{0xF0, 0xF0}}),                                                                       // 45
      Bytes({{0xF0, 0xF0}, {0xF5, 0xF5}}),                                                         // 46
      {}, {},                                                                                      // 47-48
  };
  return table;
}

TEST(CodePageTables, UndefinedBytesAreExactlyTheListedOnes) {
  ASSERT_EQ(UndefinedBytes().size(), 49u);
  for (int set = 0; set < 49; ++set) {
    std::set<int> undefined;
    for (int b = 0x80; b <= 0xFF; ++b)
      if (CodePageTable[set][b - 0x80] == 0xFFFF) undefined.insert(b);
    EXPECT_EQ(undefined, UndefinedBytes()[set]) << "set " << set;
  }
}

TEST(CodePageTables, NoEntryIsASurrogate) {
  for (int set = 0; set < 49; ++set)
    for (std::uint16_t v : CodePageTable[set]) EXPECT_FALSE(v >= 0xD800 && v <= 0xDFFF) << set;
}

TEST(CodePageTables, EuroSignStandsOnlyWhereListed) {
  std::set<std::pair<int, int>> found;
  for (int set = 0; set < 49; ++set)
    for (int b = 0x80; b <= 0xFF; ++b)
      if (CodePageTable[set][b - 0x80] == 0x20AC) found.insert({set, b});
  std::set<std::pair<int, int>> expected = {{17, 0x88}, {6, 0xA4}, {14, 0xA4}, {48, 0xDB}};
  for (int set : {15, 16, 18, 19, 20, 21, 22, 23, 24, 40}) expected.insert({set, 0x80});
  EXPECT_EQ(found, expected);
}

TEST(CodePageTables, SetsThatShareTheirValues) {
  for (int i = 0; i < 128; ++i) {
    EXPECT_EQ(CodePageTable[40][i], CodePageTable[15][i]) << "DOS-874 equals Windows-874";
    EXPECT_EQ(CodePageTable[47][i], CodePageTable[44][i]) << "Apple-CENTEURO equals MSMAC-LATIN2";
  }
}

TEST(CodePageTables, Iso8859_12IsBuiltAsDescribed) {
  for (int b = 0x80; b <= 0x9F; ++b) EXPECT_EQ(CodePageTable[11][b - 0x80], b);
  EXPECT_EQ(CodePageTable[11][0x20], 0xFFFF);
  for (int b = 0xA1; b <= 0xFF; ++b) EXPECT_EQ(CodePageTable[11][b - 0x80], 0x0000);
}

TEST(CodePageTables, MacintoshDifferencesAreApplied) {
  auto at = [](int set, int b) { return CodePageTable[set][b - 0x80]; };
  EXPECT_EQ(at(41, 0xA2), 0x00A2);
  EXPECT_EQ(at(41, 0xB6), 0x2202);
  EXPECT_EQ(at(41, 0xFF), 0x00A4);
  EXPECT_EQ(at(42, 0x9C), 0x00AD);
  EXPECT_EQ(at(42, 0xAF), 0x0387);
  for (int set : {43, 45}) {
    EXPECT_EQ(at(set, 0xBD), 0x2126);
    EXPECT_EQ(at(set, 0xDB), 0x00A4);
  }
  EXPECT_EQ(at(46, 0xBD), 0x2126);
  EXPECT_EQ(at(48, 0xBD), 0x03A9);
  EXPECT_EQ(at(48, 0xDB), 0x20AC);
  EXPECT_EQ(at(48, 0xF0), 0xF8FF);
  EXPECT_EQ(at(6, 0xA5), 0x20AF);
  EXPECT_EQ(at(6, 0xAA), 0x037A);
  EXPECT_EQ(at(7, 0xAF), 0x00AF);
  EXPECT_EQ(at(7, 0xDF), 0x2017);
  EXPECT_EQ(at(7, 0xFD), 0x200E);
  EXPECT_EQ(at(7, 0xFE), 0x200F);
  EXPECT_EQ(at(0, 0x80), 0x0080);
  EXPECT_EQ(at(25, 0xB0), 0x2591);
}

}  // namespace
