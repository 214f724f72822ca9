// The engine's fast paths against the plain reference codecs, on seeded
// random text built to hit the awkward places: ASCII runs that end mid-block,
// broken and cut multi-byte forms, surrogates, CR/LF runs.
#include <gtest/gtest.h>

#include "engine/engine.h"

#include <algorithm>
#include <random>

#include "at_every_level.h"
#include "call.h"
#include "reference/reference_codecs.h"

using namespace call;

namespace {

class RandomText {
 public:
  explicit RandomText(std::uint32_t seed) : rng_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  Bytes Utf8ish(std::size_t pieces) {
    static const Bytes kPieces[] = {
        {0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {0xED, 0xA0, 0x80}, {0xEF, 0xBF, 0xBF},
        {0xF4, 0x90, 0x80, 0x80}, {0xC0, 0x80}, {0xE0, 0x80, 0x80}, {0xF8, 0x88, 0x80, 0x80, 0x80},
        {0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}, {0xC3}, {0xE2, 0x82}, {0xF0, 0x9F}, {0x80}, {0xBF}, {0xFE}, {0xFF},
        {0xFC}, {0xF8, 0x80}, {0xD0, 0x96}, {0xE4, 0xB8, 0xAD}, {0x0D, 0x0A}, {0x00},
    };
    Bytes out;
    for (std::size_t i = 0; i < pieces; ++i) {
      if (Below(3) == 0) {
        const int run = Below(40);
        for (int k = 0; k < run; ++k) out.push_back(static_cast<std::uint8_t>(0x20 + Below(0x5F)));
      } else if (Below(8) == 0) {
        out.push_back(static_cast<std::uint8_t>(Below(256)));
      } else {
        const Bytes& p = kPieces[Below(sizeof kPieces / sizeof kPieces[0])];
        out.insert(out.end(), p.begin(), p.end());
      }
    }
    return out;
  }

  Units Utf16ish(std::size_t pieces) {
    static const std::uint16_t kUnits[] = {0xE9, 0x20AC, 0x7FF, 0x800, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0xFFFF,
                                           0xFFFE, 0x0D, 0x0A, 0x00, 0x7F, 0x80, 0x0416, 0x4E2D, 0x2591};
    Units out;
    for (std::size_t i = 0; i < pieces; ++i) {
      const int kind = Below(4);
      if (kind == 0) {
        const int run = Below(40);
        for (int k = 0; k < run; ++k) out.push_back(static_cast<std::uint16_t>(0x20 + Below(0x5F)));
      } else if (kind == 1) {
        out.push_back(static_cast<std::uint16_t>(Below(65536)));
      } else if (kind == 2) {
        out.push_back(0xD83D);
        out.push_back(static_cast<std::uint16_t>(0xDC00 + Below(0x400)));
      } else {
        out.push_back(kUnits[Below(sizeof kUnits / sizeof kUnits[0])]);
      }
    }
    return out;
  }

  Bytes AnyBytes(std::size_t n, bool mostlyAscii) {
    Bytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(mostlyAscii && Below(4) ? Below(0x80) : Below(256));
    return out;
  }

 private:
  std::mt19937 rng_;
};

constexpr int kRounds = 4000;

class Differential : public levels::AtEveryLevel {};

TEST_P(Differential, Utf8DecodeBothPasses) {
  RandomText random(1);
  for (int round = 0; round < kRounds; ++round) {
    const Bytes text = random.Utf8ish(random.Below(30));
    const reference::Units want = reference::DecodeUtf8(text, false);
    const UnitsOut got = DecodeUtf8(text);
    ASSERT_EQ(got.units, want.data) << ::testing::PrintToString(text);
    ASSERT_EQ(got.result, want.result) << ::testing::PrintToString(text);
    ASSERT_EQ(got.length, want.length);
    const reference::Units wantMeasure = reference::DecodeUtf8(text, true);
    const UnitsOut measured = DecodeUtf8(text, true);
    ASSERT_EQ(measured.length, wantMeasure.length) << ::testing::PrintToString(text);
    ASSERT_EQ(measured.result, wantMeasure.result) << ::testing::PrintToString(text);
    ASSERT_GE(measured.length, got.length);
  }
}

TEST_P(Differential, Utf8EncodeWithEveryCapacity) {
  RandomText random(2);
  for (int round = 0; round < kRounds / 4; ++round) {
    const Units text = random.Utf16ish(random.Below(12));
    const reference::Bytes query = reference::EncodeUtf8(text, 0);
    ASSERT_EQ(EncodeUtf8(text, 0).length, query.length);
    for (std::uint32_t capacity = 1; capacity <= query.length + 1; ++capacity) {
      const reference::Bytes want = reference::EncodeUtf8(text, capacity);
      const BytesOut got = EncodeUtf8(text, capacity);
      ASSERT_EQ(got.result, want.result) << ::testing::PrintToString(text) << " capacity " << capacity;
      ASSERT_EQ(got.length, want.length);
      ASSERT_EQ(Bytes(got.bytes.begin(), got.bytes.begin() + got.length), want.data);
      ASSERT_EQ(got.bytes[got.length], kByteMarker) << "nothing written past the length";
    }
  }
}

// Long texts of mostly well-formed characters keep the vector windows busy,
// with an occasional fault for them to hand back to the scalar code.
TEST_P(Differential, LongTextsThroughTheVectorWindows) {
  RandomText random(5);
  for (int round = 0; round < 300; ++round) {
    Bytes text;
    // Well-formed forms first; the last ones are well-formed in shape but
    // out of range, which only the converting pass refuses.
    static const Bytes kCommon[] = {{'a'}, {' '}, {0xC3, 0xA9}, {0xD0, 0x96}, {0xE4, 0xB8, 0xAD},
                                    {0xEF, 0xBC, 0x8C}, {0xF0, 0x9F, 0x98, 0x80}, {0xC0, 0x80},
                                    {0xE0, 0x80, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF}, {0xF0, 0x90, 0x80, 0x80},
                                    {0xF4, 0x90, 0x80, 0x80}, {0xF7, 0xBF, 0xBF, 0xBF}, {0xF0, 0x8F, 0xBF, 0xBF},
                                    {0xED, 0xA0, 0x80}, {0xEF, 0xBF, 0xBE}};
    const int count = 50 + random.Below(400);
    for (int i = 0; i < count; ++i) {
      if (random.Below(60) == 0) {
        const Bytes fault = random.Utf8ish(1);
        text.insert(text.end(), fault.begin(), fault.end());
      } else {
        const int kinds = round % 3 == 0 ? 7 : round % 3 == 1 ? 11 : 16;
        const Bytes& p = kCommon[random.Below(kinds) < 7 ? random.Below(7) : random.Below(kinds)];
        text.insert(text.end(), p.begin(), p.end());
      }
    }
    const reference::Units want = reference::DecodeUtf8(text, false);
    const UnitsOut got = DecodeUtf8(text);
    ASSERT_EQ(got.units, want.data) << ::testing::PrintToString(text);
    ASSERT_EQ(got.result, want.result);
    const reference::Units wantMeasure = reference::DecodeUtf8(text, true);
    const UnitsOut measured = DecodeUtf8(text, true);
    ASSERT_EQ(measured.length, wantMeasure.length) << ::testing::PrintToString(text);
    ASSERT_EQ(measured.result, wantMeasure.result);

    // And back: UTF-16 with a stray surrogate now and then, at capacities
    // around the exact size so the capacity stop meets the windows.
    Units units = want.data;
    if (round % 3 == 0) units.insert(units.begin() + random.Below(static_cast<int>(units.size()) + 1), 0xDC00);
    const reference::Bytes query = reference::EncodeUtf8(units, 0);
    const std::uint32_t exact = static_cast<std::uint32_t>(reference::EncodeUtf8(units, query.length).length);
    for (std::uint32_t capacity : {exact, exact - 1, exact - 3, exact / 2, exact + 5, query.length}) {
      if (capacity == 0 || capacity > exact + 5) continue;
      const reference::Bytes wantBytes = reference::EncodeUtf8(units, capacity);
      const BytesOut gotBytes = EncodeUtf8(units, capacity);
      ASSERT_EQ(gotBytes.result, wantBytes.result) << capacity;
      ASSERT_EQ(gotBytes.length, wantBytes.length) << capacity;
      ASSERT_EQ(Bytes(gotBytes.bytes.begin(), gotBytes.bytes.begin() + gotBytes.length), wantBytes.data);
      ASSERT_EQ(gotBytes.bytes[gotBytes.length], kByteMarker) << "nothing written past the length";
    }
  }
}

TEST_P(Differential, SingleByteCodecsEverySet) {
  RandomText random(3);
  for (int round = 0; round < kRounds; ++round) {
    const int set = round % 49;
    const Bytes bytes = random.AnyBytes(random.Below(80), round % 2 == 0);
    const std::uint32_t capacity = static_cast<std::uint32_t>(random.Below(2) ? bytes.size() * 2 : random.Below(170));
    const reference::Units want = reference::DecodeSingleByte(set, bytes, capacity);
    const UnitsOut got = DecodeSingle(set, bytes, capacity);
    if (capacity != 0) {
      ASSERT_EQ(got.units, want.data) << set;
    }
    ASSERT_EQ(got.result, want.result) << set;
    ASSERT_EQ(got.length, want.length) << set;

    const Units units = random.Utf16ish(random.Below(20));
    const std::uint32_t room = static_cast<std::uint32_t>(random.Below(2) ? units.size() : random.Below(60));
    const reference::Bytes wantBytes = reference::EncodeSingleByte(set, units, room);
    const BytesOut gotBytes = EncodeSingle(set, units, room);
    ASSERT_EQ(Bytes(gotBytes.bytes.begin(), gotBytes.bytes.begin() + wantBytes.data.size()), wantBytes.data) << set;
    ASSERT_EQ(gotBytes.bytes[wantBytes.data.size()], kByteMarker);
    ASSERT_EQ(gotBytes.result, wantBytes.result);
  }
}

// Text made of ASCII and of the bytes of each set's upper half, with
// blocks where one kind dominates, takes every path of both codecs.
TEST_P(Differential, SingleByteBlocksOfEveryMix) {
  RandomText random(6);
  for (int set = 0; set < 49; ++set) {
    for (int round = 0; round < 40; ++round) {
      Bytes bytes;
      const int upperShare = random.Below(5);  // 0: all ASCII .. 4: mostly upper
      const int lo = 0x80 + random.Below(0x60), hi = std::min(0xFF, lo + 16 + random.Below(0x80));
      for (int i = 0, n = random.Below(200); i < n; ++i) {
        const bool upper = random.Below(4) < upperShare;
        bytes.push_back(static_cast<std::uint8_t>(upper ? lo + random.Below(hi - lo + 1) : random.Below(0x80)));
      }
      const reference::Units want = reference::DecodeSingleByte(set, bytes, Size(bytes) * 2 + 2);
      const UnitsOut got = DecodeSingle(set, bytes, Size(bytes) * 2 + 2);
      ASSERT_EQ(got.units, want.data) << set;
      ASSERT_EQ(got.result, want.result) << set;

      Units units = want.data;
      for (auto& u : units)
        if (random.Below(50) == 0) u = static_cast<std::uint16_t>(random.Below(0x10000));
      const reference::Bytes wantBytes = reference::EncodeSingleByte(set, units, Size(units) / 2);
      const BytesOut gotBytes = EncodeSingle(set, units);
      ASSERT_EQ(gotBytes.bytes, wantBytes.data) << set;
    }
  }
}

// The sets added past the first 49 decode at each level as the portable
// code decodes them, byte for byte.
TEST_P(Differential, AddedSingleByteSetsDecodeAsThePortableCode) {
  RandomText random(8);
  for (int set : {recodo::CharsetKoi8R, recodo::CharsetKoi8U, recodo::CharsetIso8859_16}) {
    for (int round = 0; round < 60; ++round) {
      Bytes bytes;
      for (int i = 0, n = random.Below(150); i < n; ++i)
        bytes.push_back(static_cast<std::uint8_t>(random.Below(3) == 0 ? random.Below(0x80) : 0x80 + random.Below(0x80)));
      const auto decode = [&](Units* units) {
        std::uint32_t length = static_cast<std::uint32_t>(bytes.size() * 2);
        units->assign(bytes.size(), 0);
        return ConvertMultiByteToDoubleByte(set, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                            units->data(), &length);
      };
      Units got, want;
      const std::uint32_t result = decode(&got);
      recodo::kernels::Use(levels::Level::Portable);
      const std::uint32_t wantResult = decode(&want);
      recodo::kernels::Use(GetParam());
      ASSERT_EQ(got, want) << set;
      ASSERT_EQ(result, wantResult) << set;
    }
  }
}

// A single-byte text expanded straight into UTF-8 is the text decoded and
// encoded again, for every set, with runs of ASCII and of other bytes of
// every length around the blocks; nothing is written past 3n + 1 bytes.
TEST_P(Differential, SingleByteTextsExpandToUtf8AsDecodedAndEncoded) {
  RandomText random(9);
  int sets = 0;
  for (int set = 0; set < 256; ++set) {
    if (!recodo::IsAnySingleByteCharset(set) || !recodo::engine::DecodesToWholeCharacters(set)) continue;
    ++sets;
    recodo::engine::Utf8Forms forms;
    recodo::engine::MakeUtf8Forms(set, &forms);
    for (int round = 0; round < 40; ++round) {
      Bytes bytes;
      while (bytes.size() < static_cast<std::size_t>(round * 3)) {
        const bool upper = random.Below(3) == 0;
        for (int i = random.Below(upper ? 4 : 40); i >= 0; --i)
          bytes.push_back(static_cast<std::uint8_t>(upper ? 0x80 + random.Below(0x80) : random.Below(0x80)));
      }
      Units units(bytes.size());
      recodo::engine::DecodeSingleByte(set, bytes, units.data());
      Bytes want(3 * bytes.size() + 1);
      want.resize(recodo::engine::EncodeUtf8(units, want.data()));
      Bytes got(3 * bytes.size() + 1 + 16, 0xA5);
      bool lost = false;
      const std::size_t written = recodo::engine::ExpandToUtf8(forms, bytes, got.data(), &lost);
      ASSERT_EQ(Bytes(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(written)), want) << set;
      for (std::size_t i = 3 * bytes.size() + 1; i < got.size(); ++i) ASSERT_EQ(got[i], 0xA5) << set;
      bool noted = false;
      for (std::size_t i = 0; i < bytes.size(); ++i)
        noted |= units[i] == recodo::UndefinedUnit || (bytes[i] >= 0x80 && units[i] == 0);
      ASSERT_EQ(lost, noted) << set;
    }
  }
  EXPECT_GE(sets, 49);
}

TEST_P(Differential, NewLinesAndDetection) {
  RandomText random(4);
  for (int round = 0; round < kRounds; ++round) {
    Units text = random.Utf16ish(random.Below(10));
    for (int i = random.Below(10); i > 0; --i)
      text.insert(text.begin() + random.Below(static_cast<int>(text.size()) + 1),
                  static_cast<std::uint16_t>(random.Below(2) ? 0x0D : 0x0A));
    const int type = random.Below(6) - 1;
    const UnitsOut got = NewLines(type, text);
    const reference::Units want = reference::TransformNewLines(type, text);
    ASSERT_EQ(got.units, want.data);
    ASSERT_EQ(got.length, want.length);

    const Bytes bytes = round % 2 ? random.Utf8ish(random.Below(12)) : random.AnyBytes(random.Below(12), true);
    ASSERT_EQ(Detect(bytes), reference::Detect(bytes)) << ::testing::PrintToString(bytes);
  }
}

RECODO_AT_EVERY_LEVEL(Differential);

}  // namespace
