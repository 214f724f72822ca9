// The exported functions called with what they cannot use: null pointers
// where bytes or a length are needed, a set outside the catalogue. They
// answer with their failure word and touch nothing.
#include <gtest/gtest.h>

#include <cstdint>

#include "recodo/recodo.h"

namespace {

constexpr std::uint32_t kFailure = RECODO_CONV_INVALID_DATA;

TEST(Arguments, NullPointersGetTheFailureWord) {
  const std::uint8_t bytes[] = {'a', 'b', 'c'};
  const std::uint16_t units[] = {'a', 'b'};
  std::uint8_t out8[8] = {};
  std::uint16_t out16[8] = {};
  std::uint32_t length = 8;

  EXPECT_EQ(ConvertSingleByteToDoubleByte(18, nullptr, 3, out16, &length), kFailure);
  EXPECT_EQ(ConvertSingleByteToDoubleByte(18, bytes, 3, nullptr, &length), kFailure) << "a capacity without a buffer";
  EXPECT_EQ(ConvertSingleByteToDoubleByte(18, bytes, 3, out16, nullptr), kFailure);
  EXPECT_EQ(ConvertDoubleByteToSingleByte(18, nullptr, 4, out8, &length), kFailure);
  EXPECT_EQ(ConvertDoubleByteToSingleByte(18, units, 4, out8, nullptr), kFailure);
  EXPECT_EQ(ConvertUtf8ToDoubleByte(nullptr, 3, out16, &length), kFailure);
  EXPECT_EQ(ConvertUtf8ToDoubleByte(bytes, 3, out16, nullptr), kFailure);
  EXPECT_EQ(ConvertDoubleByteToUtf8(nullptr, 4, out8, &length), kFailure);
  EXPECT_EQ(ConvertDoubleByteToUtf8(units, 4, out8, nullptr), kFailure);
  EXPECT_EQ(TransformNewLineCharacter(2, nullptr, 4, out16, &length), static_cast<std::int32_t>(kFailure));
  EXPECT_EQ(TransformNewLineCharacter(2, units, 4, out16, nullptr), static_cast<std::int32_t>(kFailure));
  EXPECT_EQ(TransformEndianess(nullptr, 4), 0);
  EXPECT_EQ(DetectCharacterSet(nullptr, 3), RECODO_CHARSET_COUNT);
  EXPECT_EQ(DetectCharacterSetByFile(nullptr), 18);
  for (std::uint8_t b : out8) EXPECT_EQ(b, 0);
  for (std::uint16_t u : out16) EXPECT_EQ(u, 0);

  // Nothing to read is no fault.
  length = 0;
  EXPECT_EQ(ConvertSingleByteToDoubleByte(18, nullptr, 0, nullptr, &length), RECODO_CONV_OK);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(ConvertUtf8ToDoubleByte(nullptr, 0, nullptr, &length), RECODO_CONV_OK);
  EXPECT_EQ(ConvertDoubleByteToUtf8(nullptr, 0, nullptr, &length), RECODO_CONV_OK);
  EXPECT_EQ(TransformEndianess(nullptr, 0), 1);
  EXPECT_EQ(DetectCharacterSet(nullptr, 0), 0);
}

TEST(Arguments, ASetOutsideTheCatalogueHasNoSize) {
  const std::uint8_t bytes[] = {'a', 0xE9};
  const std::uint16_t units[] = {'a', 0xE9};
  for (std::int32_t set : {-1, 49, 100, 0x7FFFFFFF}) {
    std::uint32_t length = 0;
    EXPECT_EQ(ConvertSingleByteToDoubleByte(set, bytes, 2, nullptr, &length), kFailure) << set;
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(ConvertDoubleByteToSingleByte(set, units, 4, nullptr, &length), kFailure) << set;
    EXPECT_EQ(length, 0u);
  }
}

}  // namespace
