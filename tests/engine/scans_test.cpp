// The searches the program makes through the kernels, at every level: the
// first upper byte, the first of two units and any surrogate, put at every
// offset of a block.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "at_every_level.h"
#include "engine/engine.h"
#include "engine/kernels/dispatch.h"

namespace {

namespace engine = recodo::engine;

class Scans : public levels::AtEveryLevel {};

TEST_P(Scans, TheFirstUpperByteWhereverItStands) {
  for (std::size_t length = 0; length <= 130; ++length) {
    std::vector<std::uint8_t> text(length, 'a');
    EXPECT_EQ(engine::AsciiPrefix(text), length);
    for (std::size_t at = 0; at < length; ++at) {
      text[at] = static_cast<std::uint8_t>(0x80 + at % 128);
      if (at + 1 < length) text[length - 1] = 0xFF;  // a later one never counts
      ASSERT_EQ(engine::AsciiPrefix(text), at) << length;
      text.assign(length, 'a');
    }
  }
}

TEST_P(Scans, TheFirstOfTwoUnitsWhereverItStands) {
  for (std::size_t length = 0; length <= 70; ++length) {
    std::vector<std::uint16_t> text(length, u'x');
    EXPECT_EQ(engine::UnitsBefore(text, u'<', 0), length);
    for (std::size_t at = 0; at < length; ++at) {
      for (std::uint16_t unit : {std::uint16_t(u'<'), std::uint16_t(0), std::uint16_t(0x0D)}) {
        text[at] = unit;
        if (at + 1 < length) text[length - 1] = u'<';
        const std::size_t want = unit == 0x0D ? (at + 1 < length ? length - 1 : length) : at;
        ASSERT_EQ(engine::UnitsBefore(text, u'<', 0), want) << length << " " << unit;
        text.assign(length, u'x');
      }
    }
  }
}

TEST_P(Scans, AnySurrogateWhereverItStands) {
  for (std::size_t length = 0; length <= 70; ++length) {
    std::vector<std::uint16_t> text(length, 0xD7FF);  // just below, and just above: 0xE000
    for (std::size_t i = 0; i < length; i += 2) text[i] = 0xE000;
    EXPECT_FALSE(engine::AnySurrogate(text));
    for (std::size_t at = 0; at < length; ++at) {
      for (std::uint16_t unit : {std::uint16_t(0xD800), std::uint16_t(0xDBFF), std::uint16_t(0xDC00),
                                 std::uint16_t(0xDFFF)}) {
        const std::uint16_t before = text[at];
        text[at] = unit;
        ASSERT_TRUE(engine::AnySurrogate(text)) << length << " " << at;
        ASSERT_FALSE(engine::AnySurrogate(std::span<const std::uint16_t>(text).first(at)));
        text[at] = before;
      }
    }
  }
}

// The ASCII runs the longer sets' decoders and encoders take whole: as
// units, and back as bytes, up to the first that is not ASCII and not one
// element further.
TEST_P(Scans, AsciiRunsWidenAndNarrowUpToTheirEnd) {
  const recodo::kernels::Table& k = recodo::kernels::Active();
  for (std::size_t length = 0; length <= 130; ++length) {
    for (std::size_t at = 0; at <= length; ++at) {
      std::vector<std::uint8_t> bytes(length);
      std::vector<std::uint16_t> units(length);
      for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i % 0x80);
        units[i] = bytes[i];
      }
      if (at < length) {
        bytes[at] = 0x80;
        units[at] = at % 2 ? 0x0080 : 0x3042;
      }
      std::vector<std::uint16_t> wide(length + 1, 0xBEEF);
      ASSERT_EQ(k.asciiWiden(bytes.data(), length, wide.data()), at) << length;
      for (std::size_t i = 0; i < at; ++i) ASSERT_EQ(wide[i], bytes[i]);
      ASSERT_EQ(wide[at], 0xBEEF) << "nothing past the run";
      std::vector<std::uint8_t> narrow(length + 1, 0xEE);
      ASSERT_EQ(k.asciiNarrow(units.data(), length, narrow.data()), at) << length;
      for (std::size_t i = 0; i < at; ++i) ASSERT_EQ(narrow[i], units[i]);
      ASSERT_EQ(narrow[at], 0xEE) << "nothing past the run";
    }
  }
}

RECODO_AT_EVERY_LEVEL(Scans);

}  // namespace
