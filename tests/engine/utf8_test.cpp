#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "call.h"
#include "engine/surrogates.h"
#include "engine/transforms.h"
#include "engine/utf8_decoder.h"

using namespace call;

namespace {

struct DecodeCase {
  Bytes in;
  Units units;
  std::uint32_t result;
};

void ExpectDecodes(const std::vector<DecodeCase>& cases) {
  for (const DecodeCase& c : cases) {
    const UnitsOut out = DecodeUtf8(c.in);
    EXPECT_EQ(out.units, c.units) << ::testing::PrintToString(c.in);
    EXPECT_EQ(out.result, c.result) << ::testing::PrintToString(c.in);
    const UnitsOut measured = DecodeUtf8(c.in, true);
    EXPECT_GE(measured.length, out.length) << "the measuring pass never counts fewer units";
  }
}

TEST(Utf8Decode, WellFormedText) {
  ExpectDecodes({
      {{}, {}, kOk},
      {{0x41}, {0x41}, kOk},
      {{0xC3, 0xA9}, {0xE9}, kMulti},
      {{0xE2, 0x82, 0xAC}, {0x20AC}, kMulti},
      {{0xF0, 0x9F, 0x98, 0x80}, {0xD83D, 0xDE00}, kMulti},
      {{0xC0, 0x80}, {0x0000}, kMulti},
      {{0xE0, 0x80, 0x80}, {0x0000}, kMulti},
      {{0xEF, 0xBF, 0xBD}, {0xFFFD}, kMulti},
      {{0xEF, 0xBB, 0xBF, 0x41}, {0xFEFF, 0x41}, kMulti},
      {{0xF4, 0x8F, 0xBF, 0xBF}, {0xDBFF, 0xDFFF}, kMulti},
  });
}

TEST(Utf8Decode, MalformedSequencesCostOneReplacementEach) {
  ExpectDecodes({
      {{0xED, 0xA0, 0x80}, {0xFFFD}, kInvalid},
      {{0xEF, 0xBF, 0xBF}, {0xFFFD}, kInvalid},
      {{0xF4, 0x90, 0x80, 0x80}, {0xFFFD}, kInvalid},
      {{0xF0, 0x80, 0x80, 0x80}, {0xFFFD}, kInvalid},
      {{0x80}, {0xFFFD}, kInvalid},
      {{0xFE}, {0xFFFD}, kInvalid},
      {{0xFF}, {0xFFFD}, kInvalid},
      {{0xF8, 0x88, 0x80, 0x80, 0x80}, {0xFFFD}, kInvalid},
      {{0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}, {0xFFFD}, kInvalid},
      {{0xFC, 0x41, 0x42, 0x43, 0x44, 0x45}, {0xFFFD, 'A', 'B', 'C', 'D', 'E'}, kInvalid},
      {{0xE2, 0x82, 0x41}, {0xFFFD, 0x41}, kInvalid},
      {{0xC3, 0xA9, 0x80}, {0xE9, 0xFFFD}, kInvalid},
      {{0x80, 0xC3, 0xA9}, {0xFFFD, 0xE9}, kInvalid | kMulti},
  });
}

TEST(Utf8Decode, TextCutOffAtTheEndStillAccountsForEveryByte) {
  ExpectDecodes({
      {{0x41, 0xC3}, {0x41, 0xFFFD}, kInvalid},
      {{0xE2, 0x41}, {0xFFFD, 0x41}, kInvalid},
      {{0xE2, 0x82}, {0xFFFD}, kInvalid},
      {{0xFC, 0x41, 0x42, 0x43, 0x44}, {0xFFFD, 'A', 'B', 'C', 'D'}, kInvalid},
      {{0xF0, 0x9F, 0x98}, {0xFFFD}, kInvalid},
      {{0xC3, 0xA9, 0xF0, 0x9F}, {0xE9, 0xFFFD}, kInvalid},
  });
}

TEST(Utf8Measure, CountsWithoutCheckingValues) {
  struct Case {
    Bytes in;
    std::uint32_t length;
    std::uint32_t result;
  } cases[] = {
      {{0xED, 0xA0, 0x80}, 2, kMulti},
      {{0xF4, 0x90, 0x80, 0x80}, 4, kMulti},
      {{0xEF, 0xBF, 0xBF}, 2, kMulti},
      {{0x80}, 2, kInvalid},
      // Cut inside the last character: counted, but no error.
      {{0x41, 0xC3}, 4, kOk},
      {{0x61, 0x62, 0xC3, 0xA9, 0xE2}, 8, kMulti},
      {{0xC3, 0xA9, 0xF0, 0x9F, 0x98}, 4, kMulti},
      // Cut but followed by something that is not a continuation byte.
      {{0xE2, 0x41}, 4, kInvalid},
  };
  for (const Case& c : cases) {
    const UnitsOut out = DecodeUtf8(c.in, true);
    EXPECT_EQ(out.length, c.length) << ::testing::PrintToString(c.in);
    EXPECT_EQ(out.result, c.result) << ::testing::PrintToString(c.in);
  }
}

TEST(Utf8Encode, CharactersOfEachLength) {
  struct Case {
    Units in;
    Bytes out;
  } cases[] = {
      {{0x41}, {0x41}},
      {{0xE9}, {0xC3, 0xA9}},
      {{0x20AC}, {0xE2, 0x82, 0xAC}},
      {{0xFFFF}, {0xEF, 0xBF, 0xBF}},
      {{0xD83D, 0xDE00}, {0xF0, 0x9F, 0x98, 0x80}},
      {{0x0000}, {0x00}},
  };
  for (const Case& c : cases) {
    const BytesOut out = EncodeUtf8(c.in);
    EXPECT_EQ(out.bytes, c.out);
    EXPECT_EQ(out.result, kOk);
  }
  EXPECT_EQ(EncodeUtf8({0xD83D, 0xDE00}, 0).length, 8u);
  EXPECT_EQ(EncodeUtf8({0x41, 0xE9, 0x20AC}, 0).length, 6u);
}

TEST(Utf8Encode, UnpairedSurrogatesBecomeReplacementCharacters) {
  // A lone high, a lone low, a high at the end, and a high before a non-low
  // that must not be swallowed.
  const BytesOut out = EncodeUtf8({0xD800, 0x41, 0xDC00, 0xD83D, 0x42, 0xDBFF});
  EXPECT_EQ(out.bytes, (Bytes{0xEF, 0xBF, 0xBD, 0x41, 0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD, 0x42, 0xEF, 0xBF, 0xBD}));
  EXPECT_EQ(out.result, kOk);
  EXPECT_EQ(out.length, 14u);
  // Two highs in a row: the second still pairs with the low after it.
  EXPECT_EQ(EncodeUtf8({0xD83D, 0xD83D, 0xDE00}).bytes, (Bytes{0xEF, 0xBF, 0xBD, 0xF0, 0x9F, 0x98, 0x80}));
}

TEST(Utf8Encode, CapacityStopsBeforeAWholeCharacter) {
  BytesOut out = EncodeUtf8({0x41, 0x42, 0x43}, 2);
  EXPECT_EQ(Bytes(out.bytes.begin(), out.bytes.begin() + 3), (Bytes{0x41, 0x42, kByteMarker}));
  EXPECT_EQ(out.length, 2u);
  EXPECT_EQ(out.result, kTooSmall);
  out = EncodeUtf8({0x41, 0x42}, 2);
  EXPECT_EQ(out.length, 2u);
  EXPECT_EQ(out.result, kOk);
  out = EncodeUtf8({0xE9}, 1);
  EXPECT_EQ(out.bytes[0], kByteMarker);
  EXPECT_EQ(out.length, 0u);
  EXPECT_EQ(out.result, kTooSmall);
  out = EncodeUtf8({0x41, 0xD83D, 0xDE00}, 4);
  EXPECT_EQ(out.length, 1u);
  EXPECT_EQ(out.result, kTooSmall);
  const Units ascii(40, 'a');
  out = EncodeUtf8(ascii, 33);
  EXPECT_EQ(out.length, 33u);
  EXPECT_EQ(out.bytes[33], kByteMarker);
  EXPECT_EQ(out.result, kTooSmall);
}

// Every surrogate asks for 4 bytes of room before it is looked at, also one
// that is written as the 3 bytes of U+FFFD; with 3 left nothing is written.
TEST(Utf8Encode, EverySurrogateAsksForFourBytesOfRoom) {
  struct Case {
    Units in;  // 'a' 'b', then the surrogate with 3 or 4 bytes left
    Bytes withFourLeft;
  } cases[] = {
      {{'a', 'b', 0xD800, 'c'}, {'a', 'b', 0xEF, 0xBF, 0xBD, 'c'}},  // lone high; 'c' is not swallowed
      {{'a', 'b', 0xDC00, 'c'}, {'a', 'b', 0xEF, 0xBF, 0xBD, 'c'}},  // lone low
      {{'a', 'b', 0xD83D}, {'a', 'b', 0xEF, 0xBF, 0xBD}},            // high in the last unit
  };
  for (const Case& c : cases) {
    BytesOut out = EncodeUtf8(c.in, 5);
    EXPECT_EQ(out.result, kTooSmall) << ::testing::PrintToString(c.in);
    EXPECT_EQ(out.length, 2u);
    EXPECT_EQ(out.bytes[2], kByteMarker) << "nothing written for the surrogate";
    out = EncodeUtf8(c.in, 6);
    EXPECT_EQ(out.result, kOk) << ::testing::PrintToString(c.in);
    EXPECT_EQ(Bytes(out.bytes.begin(), out.bytes.begin() + out.length), c.withFourLeft);
  }
  // The same at the very start of the output, and with room for what follows.
  EXPECT_EQ(EncodeUtf8({0xDC00}, 3).result, kTooSmall);
  EXPECT_EQ(EncodeUtf8({0xDC00}, 3).length, 0u);
  const BytesOut out = EncodeUtf8({0xDC00, 'x'}, 4);
  EXPECT_EQ(Bytes(out.bytes.begin(), out.bytes.begin() + 5), (Bytes{0xEF, 0xBF, 0xBD, 'x', kByteMarker}));
  EXPECT_EQ(out.result, kOk);
}

// A null destination cannot be written into, whatever the capacity says: it
// is answered as the size query.
TEST(Utf8Encode, NullDestinationIsTheSizeQuery) {
  const Units src = {'a', 0xE9, 0xD83D, 0xDE00};
  std::uint32_t length = 100;
  EXPECT_EQ(ConvertDoubleByteToUtf8(src.data(), Size(src), nullptr, &length), kOk);
  EXPECT_EQ(length, 11u);
}

TEST(Utf8Encode, OddByteLengthIgnoresTheLastByte) {
  const Units src = {0x41, 0x42, 0x4343};
  std::uint8_t out[8] = {};
  std::uint32_t length = sizeof out;
  EXPECT_EQ(ConvertDoubleByteToUtf8(src.data(), 5, out, &length), kOk);
  EXPECT_EQ(length, 2u);
}

// Outputs past what a 32-bit length can hold: the functions without a
// capacity refuse rather than report a wrapped size that a caller would then
// allocate and overrun; the capacity-checked size queries answer the largest
// size. Zero pages from calloc keep the memory cost of this test small.
TEST(HugeInputs, OutputsPast4GiBAreNeverReportedWrapped) {
  constexpr std::uint32_t kTwoGiB = 0x80000000u;
  auto* zeros = static_cast<std::uint8_t*>(std::calloc(kTwoGiB, 1));
  ASSERT_NE(zeros, nullptr);
  std::uint32_t length = 12345;
  EXPECT_EQ(ConvertUtf8ToDoubleByte(zeros, kTwoGiB, nullptr, &length), kTooSmall);
  EXPECT_EQ(length, 0u);
  std::uint16_t sentinel[4] = {kUnitMarker, kUnitMarker, kUnitMarker, kUnitMarker};
  length = 12345;
  EXPECT_EQ(ConvertUtf8ToDoubleByte(zeros, kTwoGiB, sentinel, &length), kTooSmall);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(sentinel[0], kUnitMarker) << "nothing written";
  // One byte less fits exactly: 0xFFFFFFFE bytes of UTF-16.
  EXPECT_EQ(ConvertUtf8ToDoubleByte(zeros, kTwoGiB - 1, nullptr, &length), kOk);
  EXPECT_EQ(length, 0xFFFFFFFEu);

  length = 0;
  EXPECT_EQ(ConvertSingleByteToDoubleByte(18, zeros, kTwoGiB + 7, nullptr, &length), kOk);
  EXPECT_EQ(length, 0xFFFFFFFEu);

  std::free(zeros);
}

// The same refusal at a small limit, for both functions without a capacity.
TEST(HugeInputs, OutputPastTheLimitIsRefusedWholeByBothPasses) {
  const Bytes text = {'a', 'b', 0xC3, 0xA9, 'c', 'd'};  // 5 units, 10 bytes
  std::uint16_t out[8] = {kUnitMarker, kUnitMarker};
  std::uint32_t length = 77;
  EXPECT_EQ(recodo::DecodeUtf8(text.data(), 6, nullptr, &length, 9), kTooSmall);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(recodo::DecodeUtf8(text.data(), 6, out, &length, 9), kTooSmall);
  EXPECT_EQ(out[0], kUnitMarker);
  EXPECT_EQ(recodo::DecodeUtf8(text.data(), 6, out, &length, 10), kMulti);
  EXPECT_EQ(length, 10u);

  const Units lines = {'a', 0x0A, 0x0A, 'b'};  // CR LF each: 6 units, 12 bytes
  length = 77;
  EXPECT_EQ(static_cast<std::uint32_t>(recodo::RewriteLineBreaks(1, lines.data(), 8, nullptr, &length, 11)),
            kTooSmall);
  EXPECT_EQ(length, 0u);
  out[0] = kUnitMarker;
  EXPECT_EQ(static_cast<std::uint32_t>(recodo::RewriteLineBreaks(1, lines.data(), 8, out, &length, 11)), kTooSmall);
  EXPECT_EQ(out[0], kUnitMarker);
  EXPECT_EQ(recodo::RewriteLineBreaks(1, lines.data(), 8, out, &length, 12), 0);
  EXPECT_EQ(length, 12u);
  EXPECT_EQ(recodo::RewriteLineBreaks(2, lines.data(), 8, out, &length, 4), 0) << "only CR LF can grow a text";
}

TEST(SurrogatePairs, CombineAndSplit) {
  std::uint32_t cp = 99;
  EXPECT_EQ(recodo::CombineSurrogatePair(0xD83D, 0xDE00, &cp), kOk);
  EXPECT_EQ(cp, 0x1F600u);
  EXPECT_EQ(recodo::CombineSurrogatePair(0xDE00, 0xD83D, &cp), kInvalid);
  EXPECT_EQ(cp, 0u);
  EXPECT_EQ(recodo::CombineSurrogatePair(0xD800, 0x0041, &cp), kInvalid);
  std::uint16_t high = 1, low = 1;
  EXPECT_EQ(recodo::SplitIntoSurrogatePair(0x10FFFF, &high, &low), kOk);
  EXPECT_EQ(high, 0xDBFF);
  EXPECT_EQ(low, 0xDFFF);
  EXPECT_EQ(recodo::SplitIntoSurrogatePair(0x10000, &high, &low), kOk);
  EXPECT_EQ(high, 0xD800);
  EXPECT_EQ(low, 0xDC00);
  for (std::uint32_t outside : {0x0u, 0xFFFFu, 0x110000u}) {
    high = low = 1;
    EXPECT_EQ(recodo::SplitIntoSurrogatePair(outside, &high, &low), kInvalid);
    EXPECT_EQ(high, 0xD800);
    EXPECT_EQ(low, 0xDC00);
  }
}

}  // namespace
