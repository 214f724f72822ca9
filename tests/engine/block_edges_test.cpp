// The kernels take whole blocks and hand everything else to the scalar code.
// These put what they must hand over at each offset 0..127 of a text, so
// that it falls at every place of a block of every level, and compare every
// function with the plain reference codecs, at every level.
#include <gtest/gtest.h>

#include "at_every_level.h"
#include "call.h"
#include "engine/utf8_decoder.h"
#include "reference/reference_codecs.h"

using namespace call;

namespace {

class BlockEdges : public levels::AtEveryLevel {};

// Well-formed text of every form length, 240 bytes: the background.
Bytes Background() {
  static const Bytes kForms[] = {{'a'}, {'b'}, {' '}, {0xC3, 0xA9}, {0xD0, 0x96}, {0xE4, 0xB8, 0xAD},
                                 {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {'c'}, {0xC2, 0xAB}};
  Bytes out;
  for (int i = 0; out.size() < 240; i = (i * 7 + 3) % 10) out.insert(out.end(), kForms[i].begin(), kForms[i].end());
  out.resize(240);
  while ((out.back() & 0xC0) == 0x80 || out.back() >= 0xC0) out.pop_back();  // end on a whole character
  return out;
}

// Moves `at` back to the start of the character it falls in.
std::size_t CharacterStart(const Bytes& text, std::size_t at) {
  while (at > 0 && (text[at] & 0xC0) == 0x80) --at;
  return at;
}

void ExpectDecodesLikeTheReference(const Bytes& text) {
  const reference::Units want = reference::DecodeUtf8(text, false);
  const UnitsOut got = DecodeUtf8(text);
  ASSERT_EQ(got.units, want.data) << ::testing::PrintToString(text);
  ASSERT_EQ(got.result, want.result) << ::testing::PrintToString(text);
  const reference::Units wantMeasure = reference::DecodeUtf8(text, true);
  const UnitsOut measured = DecodeUtf8(text, true);
  ASSERT_EQ(measured.length, wantMeasure.length) << ::testing::PrintToString(text);
  ASSERT_EQ(measured.result, wantMeasure.result) << ::testing::PrintToString(text);
  ASSERT_EQ(Detect(text), reference::Detect(text));
}

// The fault inserted at the character start nearest each offset 0..127.
void ExpectDecodesWithFaultAtEveryOffset(const Bytes& background, const Bytes& fault) {
  for (std::size_t offset = 0; offset < 128; ++offset) {
    Bytes text = background;
    const std::size_t at = CharacterStart(text, offset);
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), fault.begin(), fault.end());
    ExpectDecodesLikeTheReference(text);
  }
}

TEST_P(BlockEdges, MalformedUtf8AtEveryOffset) {
  static const Bytes kFaults[] = {{0x80},       {0xE2, 0x82},       {0xED, 0xA0, 0x80}, {0xEF, 0xBF, 0xBF},
                                  {0xF8, 0x88, 0x80, 0x80, 0x80}, {0xF4, 0x90, 0x80, 0x80}, {0xFF},
                                  {0xF0, 0x8F, 0xBF, 0xBF}, {0xC3}};
  for (const Bytes& fault : kFaults) ExpectDecodesWithFaultAtEveryOffset(Background(), fault);
}

// Text of ASCII and two-byte forms only (Latin and Cyrillic scripts), which
// the kernels may take a whole block at a time: a fault, a longer form or a
// cut at each place of it.
TEST_P(BlockEdges, TwoByteTextWithFaultsAtEveryOffset) {
  static const Bytes kForms[] = {{'a'}, {' '}, {0xC3, 0xA9}, {0xD0, 0x96}, {0xC2, 0x80}, {0xDF, 0xBF}, {0xC0, 0x80}};
  Bytes background;
  for (int i = 0; background.size() < 200; i = (i * 5 + 2) % 7) {
    background.insert(background.end(), kForms[i].begin(), kForms[i].end());
  }
  static const Bytes kFaults[] = {{0x80}, {0xC3}, {0xC3, 0xC3}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {0xFF}};
  for (const Bytes& fault : kFaults) ExpectDecodesWithFaultAtEveryOffset(background, fault);
  for (std::size_t length = 0; length <= background.size(); ++length) {
    ExpectDecodesLikeTheReference(Bytes(background.begin(), background.begin() + static_cast<std::ptrdiff_t>(length)));
  }
}

// Runs of three-byte forms (Chinese, Japanese, Korean), which the kernels
// take eight or sixteen forms at a time, with a line break now and then: a refused
// value, a fault, a shorter or longer form or a cut at each place of them.
TEST_P(BlockEdges, ThreeByteRunsWithFaultsAtEveryOffset) {
  // The forms at the edges of the three-byte range, among characters spread
  // over the ideographs so that no two windows hold the same bytes.
  static const Bytes kEdges[] = {{0xE0, 0xA0, 0x80}, {0xED, 0x9F, 0xBF}, {0xEE, 0x80, 0x80}, {0xEF, 0xBF, 0xBD}};
  Bytes background;
  for (std::uint32_t i = 0; background.size() < 300; ++i) {
    const std::uint32_t c = 0x4E00 + (i * 2654435761u >> 7) % 0x5200;
    const Bytes form = i % 5 == 4 ? kEdges[i / 5 % 4]
                                  : Bytes{static_cast<std::uint8_t>(0xE0 | c >> 12),
                                          static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F)),
                                          static_cast<std::uint8_t>(0x80 | (c & 0x3F))};
    background.insert(background.end(), form.begin(), form.end());
    if (background.size() % 100 < 3) background.insert(background.end(), {'\r', '\n'});
  }
  static const Bytes kFaults[] = {{0xED, 0xA0, 0x80}, {0xED, 0xBF, 0xBF}, {0xEF, 0xBF, 0xBE}, {0xEF, 0xBF, 0xBF},
                                  {0x80},             {0xE4, 0xB8},       {0xC3, 0xA9},       {'a'},
                                  {0xF0, 0x9F, 0x98, 0x80}, {0xF8, 0x88, 0x80, 0x80, 0x80}, {0xE0, 0x80, 0x80}};
  for (const Bytes& fault : kFaults) ExpectDecodesWithFaultAtEveryOffset(background, fault);
  for (std::size_t length = 0; length <= background.size(); ++length) {
    ExpectDecodesLikeTheReference(Bytes(background.begin(), background.begin() + static_cast<std::ptrdiff_t>(length)));
  }
}

TEST_P(BlockEdges, Utf8TextCutAtEveryLength) {
  const Bytes background = Background();
  for (std::size_t length = 0; length <= 160; ++length) {
    const Bytes text(background.begin(), background.begin() + static_cast<std::ptrdiff_t>(length));
    ExpectDecodesLikeTheReference(text);
  }
}

// The pipeline reports the U+FFFD written for malformed input: every path
// the writing pass takes keeps that count exact.
TEST_P(BlockEdges, SubstitutionsAreCountedExactly) {
  const Bytes background = Background();  // holds no U+FFFD of its own
  for (std::size_t offset = 0; offset < 128; offset += 3) {
    Bytes text = background;
    for (std::size_t at : {offset, offset + 40, offset + 41}) {
      const std::size_t start = CharacterStart(text, at);
      text.insert(text.begin() + static_cast<std::ptrdiff_t>(start), {0xED, 0xA0, 0x80});
    }
    text.push_back(0xC3);  // cut by the end
    std::vector<std::uint16_t> out(text.size());
    recodo::utf8::DecodeProgress progress;
    recodo::utf8::Decode<true>(text.data(), text.size(), true, out.data(), progress);
    const reference::Units want = reference::DecodeUtf8(text, false);
    ASSERT_EQ(want.substitutions, 4u);
    EXPECT_EQ(progress.substitutions, want.substitutions) << offset;
    EXPECT_EQ(progress.units, want.data.size());
  }
  // And none for well-formed text, whatever path it takes.
  std::vector<std::uint16_t> out(background.size());
  recodo::utf8::DecodeProgress progress;
  recodo::utf8::Decode<true>(background.data(), background.size(), true, out.data(), progress);
  EXPECT_EQ(progress.substitutions, 0u);
}

// UTF-16 of every encoded length, 200 units.
Units Utf16Background() {
  static const Units kForms[] = {{'a'}, {0xE9}, {0x4E2D}, {0xD83D, 0xDE00}, {' '}, {0x0416}, {0x20AC}, {'z'}};
  Units out;
  for (int i = 0; out.size() < 200; i = (i * 5 + 1) % 8) out.insert(out.end(), kForms[i].begin(), kForms[i].end());
  if ((out.back() & 0xFC00) == 0xD800) out.pop_back();
  return out;
}

void ExpectEncodesLikeTheReference(const Units& text, std::uint32_t capacity) {
  const reference::Bytes want = reference::EncodeUtf8(text, capacity);
  const BytesOut got = EncodeUtf8(text, capacity);
  ASSERT_EQ(got.result, want.result) << ::testing::PrintToString(text) << " capacity " << capacity;
  ASSERT_EQ(got.length, want.length) << capacity;
  ASSERT_EQ(Bytes(got.bytes.begin(), got.bytes.begin() + got.length), want.data) << capacity;
  for (std::size_t k = got.length; k < got.bytes.size(); ++k)
    ASSERT_EQ(got.bytes[k], kByteMarker) << "nothing written past the length, capacity " << capacity;
}

TEST_P(BlockEdges, LoneSurrogatesAtEveryOffset) {
  const Units background = Utf16Background();
  for (std::uint16_t lone : {std::uint16_t(0xD800), std::uint16_t(0xDFFF)}) {
    for (std::size_t offset = 0; offset < 128; ++offset) {
      Units text = background;
      std::size_t at = offset;
      if ((text[at] & 0xFC00) == 0xDC00) --at;  // not inside a pair
      text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), lone);
      const reference::Bytes query = reference::EncodeUtf8(text, 0);
      ASSERT_EQ(EncodeUtf8(text, 0).length, query.length);
      ExpectEncodesLikeTheReference(text, query.length);
      // A text that ends right after it: the last unit is the surrogate.
      const Units cut(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at) + 1);
      ExpectEncodesLikeTheReference(cut, reference::EncodeUtf8(cut, 0).length);
    }
  }
}

TEST_P(BlockEdges, Utf8CapacityStopAtEveryOffset) {
  const Units text = Utf16Background();
  const std::uint32_t exact = reference::EncodeUtf8(text, reference::EncodeUtf8(text, 0).length).length;
  for (std::uint32_t capacity = 1; capacity <= exact + 1; ++capacity) ExpectEncodesLikeTheReference(text, capacity);
  // And the size query of every length, a surrogate at each end.
  for (std::size_t length = 0; length <= 140; ++length) {
    const Units prefix(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    ASSERT_EQ(EncodeUtf8(prefix, 0).length, reference::EncodeUtf8(prefix, 0).length) << length;
  }
}

// Short calls end inside the first windows: every length of texts of one-,
// two- and three-byte forms and of mixed ones, each at every capacity up to
// past its size, so that the window that ends with the text and the exact
// copies near the capacity meet every place.
TEST_P(BlockEdges, ShortTextsAtEveryCapacity) {
  const Units mixed = Utf16Background();
  std::vector<Units> texts = {Units(80, 'q'), Units(80, 0x0436), Units(80, 0x4E2D), mixed};
  Units pairs;  // pairs, one at each parity
  for (int k = 0; pairs.size() < 80; ++k) {
    if (k % 3 == 0) pairs.push_back('x');
    pairs.insert(pairs.end(), {0xD83D, 0xDE00});
  }
  texts.push_back(pairs);
  for (const Units& whole : texts) {
    for (std::size_t length = 1; length <= 72; ++length) {
      Units text(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      if ((text.back() & 0xFC00) == 0xD800) text.back() = 'e';  // the lone-surrogate test has those
      const std::uint32_t size = reference::EncodeUtf8(text, 0).length;
      for (std::uint32_t capacity = 1; capacity <= size + 1; ++capacity) ExpectEncodesLikeTheReference(text, capacity);
    }
  }
}

TEST_P(BlockEdges, LineBreaksAtEveryOffset) {
  const Units background = Utf16Background();
  for (std::size_t offset = 0; offset < 128; ++offset) {
    for (const Units& lineBreak : {Units{0x0D, 0x0A}, Units{0x0D}, Units{0x0A}, Units{0x0A, 0x0D}}) {
      Units text(background.begin(), background.begin() + 140);
      text.insert(text.begin() + static_cast<std::ptrdiff_t>(offset), lineBreak.begin(), lineBreak.end());
      for (int type : {0, 1, 2, 3}) {
        const UnitsOut got = NewLines(type, text);
        const reference::Units want = reference::TransformNewLines(type, text);
        ASSERT_EQ(got.units, want.data) << offset << " type " << type;
        ASSERT_EQ(got.length, want.length);
      }
    }
    // A text that ends in a CR at this length.
    Units cut(background.begin(), background.begin() + static_cast<std::ptrdiff_t>(offset));
    cut.push_back(0x0D);
    ASSERT_EQ(NewLines(1, cut).units, reference::TransformNewLines(1, cut).data) << offset;
  }
}

TEST_P(BlockEdges, SingleByteUndefinedBytesAndCapacityStops) {
  constexpr int kWindows1252 = 18, kDos437 = 25;
  Bytes background;
  for (int i = 0; i < 160; ++i) background.push_back(static_cast<std::uint8_t>(i % 9 == 0 ? 0xE9 : 'a' + i % 26));
  for (std::size_t offset = 0; offset < 128; ++offset) {
    Bytes text = background;
    text[offset] = 0x81;  // undefined in Windows-1252
    const reference::Units want = reference::DecodeSingleByte(kWindows1252, text, Size(text) * 2);
    const UnitsOut got = DecodeSingle(kWindows1252, text);
    ASSERT_EQ(got.units, want.data) << offset;
    ASSERT_EQ(got.result, want.result) << offset;
    // The capacity stops at this unit, whole or half.
    for (std::uint32_t capacity : {std::uint32_t(2 * offset + 1), std::uint32_t(2 * offset + 2)}) {
      const reference::Units stopped = reference::DecodeSingleByte(kDos437, background, capacity);
      const UnitsOut gotStopped = DecodeSingle(kDos437, background, capacity);
      ASSERT_EQ(gotStopped.units, stopped.data) << capacity;
      ASSERT_EQ(gotStopped.result, stopped.result) << capacity;
    }
    const Units units = reference::DecodeSingleByte(kDos437, text, Size(text) * 2).data;
    for (std::uint32_t room : {std::uint32_t(offset), std::uint32_t(offset + 1), Size(units) / 2}) {
      const reference::Bytes encoded = reference::EncodeSingleByte(kDos437, units, room);
      const BytesOut gotEncoded = EncodeSingle(kDos437, units, room);
      ASSERT_EQ(Bytes(gotEncoded.bytes.begin(), gotEncoded.bytes.begin() + static_cast<std::ptrdiff_t>(encoded.data.size())),
                encoded.data)
          << room;
      ASSERT_EQ(gotEncoded.bytes[encoded.data.size()], kByteMarker) << room;
      ASSERT_EQ(gotEncoded.result, encoded.result) << room;
    }
  }
}

// Single-byte encoding of every length: the last units go in the block
// that ends with the text, which encodes again those before them.
TEST_P(BlockEdges, SingleByteEncodingOfEveryLength) {
  constexpr int kWindows1251 = 17;
  Units text;
  for (std::uint16_t i = 0; i < 100; ++i) text.push_back(i % 7 == 3 ? 0x0436 : i % 11 == 5 ? 0x20AC : 'a' + i % 26);
  for (std::size_t length = 1; length <= text.size(); ++length) {
    const Units units(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    const reference::Bytes want = reference::EncodeSingleByte(kWindows1251, units, Size(units) / 2);
    const BytesOut got = EncodeSingle(kWindows1251, units);
    ASSERT_EQ(got.bytes, want.data) << length;
    ASSERT_EQ(got.result, want.result) << length;
  }
}

TEST_P(BlockEdges, SwapsEveryLengthInPlace) {
  Units text;
  for (std::uint16_t u = 0; u < 130; ++u) text.push_back(static_cast<std::uint16_t>(u * 0x0101 + 0x1234));
  for (std::size_t length = 0; length < 130; ++length) {
    Units swapped = text;
    EXPECT_EQ(TransformEndianess(swapped.data(), static_cast<std::uint32_t>(length * 2 + 1)), 1);
    for (std::size_t k = 0; k < text.size(); ++k) {
      const std::uint16_t want = k < length ? static_cast<std::uint16_t>((text[k] << 8) | (text[k] >> 8)) : text[k];
      ASSERT_EQ(swapped[k], want) << "length " << length << " unit " << k;
    }
  }
}

RECODO_AT_EVERY_LEVEL(BlockEdges);

}  // namespace
