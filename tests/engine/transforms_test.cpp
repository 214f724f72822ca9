#include <gtest/gtest.h>

#include "call.h"

using namespace call;

namespace {

constexpr std::uint16_t a = 'a', b = 'b', x = 'x', y = 'y', CR = 0x0D, LF = 0x0A;

TEST(NewLines, EachStyleFromEachKindOfBreak) {
  const Units mixed = {a, CR, LF, b};
  EXPECT_EQ(NewLines(2, mixed).units, (Units{a, LF, b}));
  EXPECT_EQ(NewLines(2, mixed).length, 6u);
  EXPECT_EQ(NewLines(1, mixed).units, mixed);
  EXPECT_EQ(NewLines(0, mixed).units, (Units{a, b}));
  EXPECT_EQ(NewLines(3, mixed).units, (Units{a, CR, b}));
  EXPECT_EQ(NewLines(1, {a, LF, CR, b}).units, (Units{a, CR, LF, CR, LF, b}));
  EXPECT_EQ(NewLines(2, {CR, CR, LF}).units, (Units{LF, LF}));
  EXPECT_EQ(NewLines(2, {a, CR}).units, (Units{a, LF}));
  EXPECT_EQ(NewLines(1, {a, CR}).units, (Units{a, CR, LF}));
  EXPECT_EQ(NewLines(7, {LF, a, CR}).units, (Units{a}));
  EXPECT_EQ(NewLines(-1, {LF}).units, Units{});
  EXPECT_EQ(NewLines(2, {}).length, 0u);
}

TEST(NewLines, OnlyCrAndLfAreBreaks) {
  const Units others = {0x2028, 0x0085, 0x2029, 0x000C, 0x000B, 0xFEFF, 0x0000, 0x0D0A, 0x0A0D};
  for (int type : {0, 1, 2, 3}) {
    EXPECT_EQ(NewLines(type, others).units, others) << type;
    EXPECT_EQ(NewLines(type, others).result, 0u);
  }
}

TEST(NewLines, SizePassIsExactAndWritesNothing) {
  const Units src = {x, LF, y};
  std::uint32_t length = 0;
  EXPECT_EQ(TransformNewLineCharacter(1, src.data(), 6, nullptr, &length), 0);
  EXPECT_EQ(length, 8u);
  // Long text crosses the vector blocks; breaks sit on their edges.
  Units text;
  for (int i = 0; i < 200; ++i) text.push_back(i % 7 == 0 ? LF : i % 11 == 0 ? CR : x);
  const UnitsOut out = NewLines(1, text);
  std::uint32_t size = 0;
  TransformNewLineCharacter(1, text.data(), Size(text), nullptr, &size);
  EXPECT_EQ(out.length, size);
  EXPECT_EQ(out.units.size() * 2, size);
}

TEST(NewLines, OddByteIsIgnored) {
  const Units src = {a, LF, 0x0A0A};
  Units dst(4, kUnitMarker);
  std::uint32_t length = 0;
  TransformNewLineCharacter(1, src.data(), 5, dst.data(), &length);
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(dst, (Units{a, CR, LF, kUnitMarker}));
}

TEST(Endianess, SwapsEveryWholeUnitInPlace) {
  Bytes buffer = {0x41, 0x00, 0x42, 0x00};
  EXPECT_EQ(TransformEndianess(reinterpret_cast<std::uint16_t*>(buffer.data()), 4), 1);
  EXPECT_EQ(buffer, (Bytes{0x00, 0x41, 0x00, 0x42}));
  TransformEndianess(reinterpret_cast<std::uint16_t*>(buffer.data()), 4);
  EXPECT_EQ(buffer, (Bytes{0x41, 0x00, 0x42, 0x00}));
  TransformEndianess(reinterpret_cast<std::uint16_t*>(buffer.data()), 3);
  EXPECT_EQ(buffer, (Bytes{0x00, 0x41, 0x42, 0x00}));
  Units longer(37);
  for (std::size_t i = 0; i < longer.size(); ++i) longer[i] = static_cast<std::uint16_t>(0x0102 * (i + 1));
  Units swapped = longer;
  TransformEndianess(swapped.data(), Size(swapped));
  for (std::size_t i = 0; i < longer.size(); ++i)
    EXPECT_EQ(swapped[i], static_cast<std::uint16_t>((longer[i] << 8) | (longer[i] >> 8)));
}

}  // namespace
