#include <gtest/gtest.h>

#include "call.h"
#include "engine/codepage_tables.generated.h"

using namespace call;

namespace {

constexpr int kIso8859_1 = 0, kIso8859_7 = 6, kIso8859_12 = 11, kIso8859_15 = 14, kWindows1252 = 18, kDos437 = 25;

TEST(SingleByteDecode, SizeQueryWritesNothing) {
  const Bytes src = {1, 2, 3, 4, 5};
  std::uint32_t length = 0;
  EXPECT_EQ(ConvertSingleByteToDoubleByte(kWindows1252, src.data(), 5, nullptr, &length), kOk);
  EXPECT_EQ(length, 10u);
}

TEST(SingleByteDecode, UndefinedBytesBecomeFFFFAndDecodingGoesOn) {
  const UnitsOut out = DecodeSingle(kWindows1252, {0x41, 0x80, 0x81, 0x42});
  EXPECT_EQ(out.units, (Units{0x41, 0x20AC, 0xFFFF, 0x42}));
  EXPECT_EQ(out.result, kInvalid);
  EXPECT_EQ(out.length, 8u) << "a conversion leaves the capacity as it was";
}

TEST(SingleByteDecode, StopsAtTheFirstUnitThatDoesNotFitWhole) {
  const Bytes eight = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  UnitsOut out = DecodeSingle(kWindows1252, eight, 8);
  EXPECT_EQ(out.units, (Units{'a', 'b', 'c', 'd'}));
  EXPECT_EQ(out.result, kTooSmall);
  EXPECT_EQ(out.length, 8u);
  out = DecodeSingle(kWindows1252, eight, 7);
  EXPECT_EQ(out.units, (Units{'a', 'b', 'c'}));
  EXPECT_EQ(out.result, kTooSmall);
  // The capacity error wins over an undefined byte met before it.
  out = DecodeSingle(kWindows1252, {0x81, 0x41, 0x42}, 4);
  EXPECT_EQ(out.units, (Units{0xFFFF, 0x41}));
  EXPECT_EQ(out.result, kTooSmall);
  // Long runs take the vector path; the stop must still be exact.
  const Bytes many(100, 'x');
  out = DecodeSingle(kWindows1252, many, 2 * 37 + 1);
  EXPECT_EQ(out.units.size(), 37u);
  EXPECT_EQ(out.result, kTooSmall);
}

TEST(SingleByteDecode, EveryByteOfEveryTableDecodesToItsEntry) {
  Bytes all(256);
  for (int b = 0; b < 256; ++b) all[b] = static_cast<std::uint8_t>(b);
  for (int set = 0; set < 49; ++set) {
    const UnitsOut out = DecodeSingle(set, all);
    ASSERT_EQ(out.units.size(), 256u);
    bool undefined = false;
    for (int b = 0; b < 256; ++b) {
      const std::uint16_t expected = b < 0x80 ? b : recodo::CodePageTable[set][b - 0x80];
      EXPECT_EQ(out.units[b], expected) << "set " << set << " byte " << b;
      undefined |= expected == 0xFFFF;
    }
    EXPECT_EQ(out.result, undefined ? kInvalid : kOk) << set;
  }
}

TEST(SingleByteDecode, Iso8859_12UpperBytesAreNul) {
  EXPECT_EQ(DecodeSingle(kIso8859_12, {0xA5}).units, Units{0});
  EXPECT_EQ(DecodeSingle(kIso8859_12, {0xA5}).result, kOk);
  EXPECT_EQ(DecodeSingle(kIso8859_12, {0xA0}).units, Units{0xFFFF});
  EXPECT_EQ(DecodeSingle(kIso8859_12, {0xA0}).result, kInvalid);
}

TEST(SingleByteEncode, SizeQueryIsSelectedByANullDestination) {
  const Units src = {1, 2, 3, 4};
  std::uint32_t length = 12345;
  EXPECT_EQ(ConvertDoubleByteToSingleByte(kWindows1252, src.data(), 7, nullptr, &length), kOk);
  EXPECT_EQ(length, 3u);
}

TEST(SingleByteEncode, UnmappableUnitsBecomeQuestionMarksSilently) {
  struct Case {
    int set;
    std::uint16_t unit;
    std::uint8_t byte;
  } cases[] = {
      {kIso8859_1, 0x00FF, 0xFF}, {kWindows1252, 0x00FF, 0xFF}, {kIso8859_1, 0x20AC, 0x3F},
      {kIso8859_15, 0x20AC, 0xA4}, {kWindows1252, 0xFFFF, 0x9D}, {kIso8859_1, 0xFFFF, 0x3F},
      {kIso8859_7, 0xFFFF, 0xFF}, {kIso8859_12, 0x0000, 0xFF}, {kDos437, 0x2591, 0xB0},
      {kDos437, 0x263A, 0x3F}, {kWindows1252, 0x0000, 0x00}, {kWindows1252, 0x007F, 0x7F},
  };
  for (const Case& c : cases) {
    const BytesOut out = EncodeSingle(c.set, {c.unit});
    EXPECT_EQ(out.bytes, Bytes{c.byte}) << c.set << " U+" << std::hex << c.unit;
    EXPECT_EQ(out.result, kOk);
  }
  for (int set = 0; set < 49; ++set) {
    const BytesOut out = EncodeSingle(set, {0xD83D, 0xDE00});
    EXPECT_EQ(out.bytes, (Bytes{0x3F, 0x3F})) << set;
    EXPECT_EQ(out.result, kOk);
  }
}

TEST(SingleByteEncode, StopsWhenTheCapacityIsReached) {
  const Units five = {'a', 'b', 'c', 'd', 'e'};
  const BytesOut out = EncodeSingle(kWindows1252, five, 3);
  EXPECT_EQ(Bytes(out.bytes.begin(), out.bytes.begin() + 4), (Bytes{'a', 'b', 'c', kByteMarker}));
  EXPECT_EQ(out.result, kTooSmall);
  EXPECT_EQ(out.length, 3u);
  const Units many(100, 'x');
  const BytesOut longer = EncodeSingle(kWindows1252, many, 41);
  EXPECT_EQ(longer.bytes[40], 'x');
  EXPECT_EQ(longer.bytes[41], kByteMarker);
  EXPECT_EQ(longer.result, kTooSmall);
}

TEST(SingleByteEncode, DecodeThenEncodeKeepsDefinedBytesAndMapsUndefinedToTheHighest) {
  Bytes all(256);
  for (int b = 0; b < 256; ++b) all[b] = static_cast<std::uint8_t>(b);
  for (int set = 0; set < 49; ++set) {
    const UnitsOut decoded = DecodeSingle(set, all);
    const BytesOut encoded = EncodeSingle(set, decoded.units);
    int highestUndefined = -1;
    for (int b = 0x80; b < 256; ++b)
      if (recodo::CodePageTable[set][b - 0x80] == 0xFFFF) highestUndefined = b;
    for (int b = 0; b < 256; ++b) {
      int expected = b;
      if (b >= 0x80 && recodo::CodePageTable[set][b - 0x80] == 0xFFFF) expected = highestUndefined;
      if (set == kIso8859_12 && (b == 0 || b >= 0xA1)) expected = 0xFF;  // all of them are U+0000
      EXPECT_EQ(encoded.bytes[b], expected) << "set " << set << " byte " << b;
    }
  }
}

TEST(SingleByteCodecs, UnknownCharsetIsRefusedWithoutTouchingTheOutput) {
  const Bytes bytes = {0x41, 0xE9};
  const Units units = {0x41, 0xE9};
  for (int set : {-1, 49, 100, 1 << 30}) {
    UnitsOut decoded = DecodeSingle(set, bytes);
    EXPECT_EQ(decoded.result, kInvalid) << set;
    EXPECT_TRUE(decoded.units.empty());
    BytesOut encoded = EncodeSingle(set, units, 2);
    EXPECT_EQ(encoded.result, kInvalid) << set;
    EXPECT_EQ(encoded.bytes[0], kByteMarker);
    // The size passes too: a size would have the caller convert into
    // nothing.
    std::uint32_t size = 0;
    EXPECT_EQ(ConvertSingleByteToDoubleByte(set, bytes.data(), 2, nullptr, &size), kInvalid);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ConvertDoubleByteToSingleByte(set, units.data(), 4, nullptr, &size), kInvalid);
    EXPECT_EQ(size, 0u);
  }
}

}  // namespace
