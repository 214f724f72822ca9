// Converting a text piece by piece must give exactly the bytes of converting
// it whole with the engine's functions, wherever the pieces end.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "reference/declaration_rewriter.h"
#include "convert/text_pipeline.h"
#include "recodo/recodo.h"
#include "tests/convert/collecting_sinks.h"
#include "tests/engine/at_every_level.h"

namespace recodo {
namespace {

using test::BytesInto;

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint16_t>;

Units DecodeWhole(const Bytes& in, CharsetCode source) {
  const auto n = static_cast<std::uint32_t>(in.size());
  Units text;
  if (!IsSingleByteCharset(source) && source != CharsetUtf8 && source != CharsetUtf16) {
    // Through the function that takes every set, in its two passes.
    std::uint32_t length = 0;
    ConvertMultiByteToDoubleByte(source, in.data(), n, nullptr, &length);
    text.resize(length / 2 + 1);
    ConvertMultiByteToDoubleByte(source, in.data(), n, text.data(), &length);
    text.resize(length / 2);
  } else if (IsSingleByteCharset(source)) {
    text.resize(n);
    std::uint32_t length = n * 2;
    if (n != 0) ConvertSingleByteToDoubleByte(source, in.data(), n, text.data(), &length);
  } else if (source == CharsetUtf8) {
    std::uint32_t length = 0;
    ConvertUtf8ToDoubleByte(in.data(), n, nullptr, &length);
    text.resize(length / 2 + 1);
    ConvertUtf8ToDoubleByte(in.data(), n, text.data(), &length);
    text.resize(length / 2);
  } else {
    text.resize(n / 2);
    if (!text.empty()) std::memcpy(text.data(), in.data(), text.size() * 2);
    if (source == CharsetUtf16BE) TransformEndianess(text.data(), static_cast<std::uint32_t>(text.size() * 2));
  }
  return text;
}

Bytes ConvertWhole(const Bytes& in, const PipelineOptions& options) {
  Units text = DecodeWhole(in, options.source);
  if (options.rewriteLineBreaks) {
    std::uint32_t length = 0;
    const auto bytes = static_cast<std::uint32_t>(text.size() * 2);
    TransformNewLineCharacter(options.lineBreakType, text.data(), bytes, nullptr, &length);
    Units rewritten(length / 2 + 1);
    TransformNewLineCharacter(options.lineBreakType, text.data(), bytes, rewritten.data(), &length);
    rewritten.resize(length / 2);
    text = rewritten;
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(text.begin());
  if (options.rewriteXml || options.rewriteHtml) {
    WorkingText whole;
    whole.buffer.reset(new std::uint16_t[text.size() + 1]());
    std::copy(text.begin(), text.end(), whole.buffer.get());
    whole.view = whole.buffer.get();
    whole.length = static_cast<std::uint32_t>(text.size() * 2);
    bool xml = options.rewriteXml;
    bool html = options.rewriteHtml;
    RewriteEncodingDeclarations(whole, options.destinationName, xml, html);
    text.assign(whole.view, whole.view + whole.length / 2);
  }

  Bytes out;
  const CharsetCode d = options.destination;
  if (options.writeBom) {
    if (d == CharsetUtf8) out = {0xEF, 0xBB, 0xBF};
    if (d == CharsetUtf16) out = {0xFF, 0xFE};
    if (d == CharsetUtf16BE) out = {0xFE, 0xFF};
    if (d == CharsetUtf32) out = {0xFF, 0xFE, 0x00, 0x00};
    if (d == CharsetUtf32BE) out = {0x00, 0x00, 0xFE, 0xFF};
  }
  const auto bytes = static_cast<std::uint32_t>(text.size() * 2);
  Bytes encoded;
  if (!IsSingleByteCharset(d) && d != CharsetUtf8 && d != CharsetUtf16) {
    std::uint32_t length = 0;
    ConvertDoubleByteToMultiByte(d, text.data(), bytes, nullptr, &length);
    encoded.resize(length + 1);
    ConvertDoubleByteToMultiByte(d, text.data(), bytes, encoded.data(), &length);
    encoded.resize(length);
  } else if (IsSingleByteCharset(d)) {
    std::uint32_t length = 0;
    ConvertDoubleByteToSingleByte(d, text.data(), bytes, nullptr, &length);
    encoded.resize(length);
    if (length != 0) ConvertDoubleByteToSingleByte(d, text.data(), bytes, encoded.data(), &length);
  } else if (d == CharsetUtf8) {
    std::uint32_t length = 0;
    ConvertDoubleByteToUtf8(text.data(), bytes, nullptr, &length);
    encoded.resize(length);
    if (length != 0) ConvertDoubleByteToUtf8(text.data(), bytes, encoded.data(), &length);
    encoded.resize(length);
  } else {
    if (d == CharsetUtf16BE && bytes != 0) TransformEndianess(text.data(), bytes);
    encoded.resize(bytes);
    if (bytes != 0) std::memcpy(encoded.data(), text.data(), bytes);
  }
  out.insert(out.end(), encoded.begin(), encoded.end());
  return out;
}

// Feeds the text in pieces of random size, re-feeding what a piece did not
// take, as the file conversion does.
Bytes ConvertInPieces(const Bytes& in, const PipelineOptions& options, std::mt19937& random, std::size_t maxPiece,
                      std::uint64_t* losses = nullptr) {
  TextPipeline pipeline;
  pipeline.Start(options);
  Bytes out;
  BytesInto sink(out);
  Bytes buffer;
  std::size_t next = 0;
  for (;;) {
    const std::size_t piece = std::min(in.size() - next, 1 + random() % maxPiece);
    buffer.insert(buffer.end(), in.begin() + next, in.begin() + next + piece);
    next += piece;
    const bool last = next == in.size();
    std::size_t taken = 0;
    EXPECT_TRUE(pipeline.Convert(buffer.data(), buffer.size(), last, &taken, sink));
    if (last) {
      EXPECT_EQ(taken, buffer.size());
      if (losses != nullptr) *losses = pipeline.losses();
      return out;
    }
    buffer.erase(buffer.begin(), buffer.begin() + taken);
    EXPECT_LT(buffer.size(), 8u) << "a piece left more than one character behind";
  }
}

// Text with what piece ends can get wrong: line breaks of every kind, marks,
// every UTF-8 length, broken and cut-off forms, surrogates alone and paired.
Bytes RandomText(std::mt19937& random, CharsetCode source) {
  static const Bytes kPieces[] = {
      {'a'}, {'b', 'c'}, {'\r'}, {'\n'}, {'\r', '\n'}, {'\n', '\r'}, {0xEF, 0xBB, 0xBF}, {0xFF, 0xFE}, {0xFE, 0xFF},
      {0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {0xC3}, {0xE2, 0x82}, {0xF0, 0x9F, 0x98},
      {0x80}, {0xBF, 0xBF}, {0xF8, 0x88, 0x80, 0x80, 0x80}, {0xED, 0xA0, 0x80}, {0x00}, {0x81}, {0x9D},
      {0x00, 0xD8}, {0x00, 0xDC}, {0x3D, 0xD8, 0x00, 0xDE}, {0xD8, 0x3D, 0xDE, 0x00}, {0x0D, 0x00}, {0x00, 0x0D},
      {0x0A, 0x00}, {0x00, 0x0A}, {0xFF, 0xFE, 0xFF, 0xFE},
      // Declarations, cut anywhere by the pieces.
      {'<', '?', 'x', 'm', 'l', ' ', 'e', 'n', 'c', 'o', 'd', 'i', 'n', 'g', '=', '\''},
      {'<', 'm', 'e', 't', 'a', ' ', 'h', 't', 't', 'p', '-', 'e', 'q', 'u', 'i', 'v', '=', '"', 'x', '"', ' '},
      {'c', 'o', 'n', 't', 'e', 'n', 't', '=', '\'', 'c', 'h', 'a', 'r', 's', 'e', 't', '='}, {'\''}, {'>'},
      // The longer sets' sequences, whole and cut short: Shift_JIS, EUC-JP's
      // three bytes, ISO-2022-JP's escapes, GB 18030's four, UTF-32.
      {0x82, 0xA0}, {0x88, 0x9F}, {0x8F, 0xB0, 0xA1}, {0xA4, 0xA2}, {0x1B, '$', 'B'}, {0x1B, '(', 'B'},
      {0x1B, '(', 'J'}, {0x1B, '$'}, {0x30, 0x21}, {0x81, 0x30, 0x81, 0x30}, {0x95, 0x32, 0x82, 0x36},
      {0x81, 0x30}, {0xA4, 0x40}, {0x00, 0x00, 0x01, 0x00}, {0x00, 0xF6, 0x01, 0x00}, {0xFF, 0xFE, 0x00, 0x00}};
  Bytes text;
  if (random() % 4 == 0) {
    const Bytes& mark = source == CharsetUtf8 ? kPieces[6] : source == CharsetUtf16BE ? kPieces[8] : kPieces[7];
    text = mark;
  }
  const std::size_t count = random() % 120;
  for (std::size_t i = 0; i < count; ++i) {
    const Bytes& piece = kPieces[random() % std::size(kPieces)];
    text.insert(text.end(), piece.begin(), piece.end());
  }
  if (random() % 3 == 0) text.push_back(static_cast<std::uint8_t>(random()));  // odd lengths too
  return text;
}

TEST(TextPipeline, PiecesGiveTheBytesOfTheWholeText) {
  const CharsetCode forms[] = {CharsetUtf8, CharsetUtf16, CharsetUtf16BE, 0, 18, 21, 40, 48};
  std::mt19937 random(20261207);
  int compared = 0;
  for (CharsetCode source : forms) {
    for (CharsetCode destination : forms) {
      for (int lineType = -1; lineType <= 3; ++lineType) {
        for (int round = 0; round < 12; ++round) {
          PipelineOptions options;
          options.source = source;
          options.destination = destination;
          options.writeBom = round % 2 == 0;
          options.rewriteLineBreaks = lineType >= 0;
          options.lineBreakType = lineType;
          options.rewriteXml = round % 3 == 1;
          options.rewriteHtml = round % 4 == 1;
          options.destinationName = u"utf-16be";
          const Bytes text = RandomText(random, source);
          const std::size_t maxPiece = round < 6 ? 1 + round : 64;
          const Bytes expected = ConvertWhole(text, options);
          ASSERT_EQ(ConvertInPieces(text, options, random, maxPiece), expected)
              << "source " << source << ", destination " << destination << ", line type " << lineType
              << ", round " << round;
          ++compared;
        }
      }
    }
  }
  EXPECT_EQ(compared, 8 * 8 * 5 * 12);
}

// The same for the sets of one to four bytes a character and the stateful
// ISO-2022-JP, to and from each other and UTF-8.
TEST(TextPipeline, PiecesOfTheLongerSetsGiveTheBytesOfTheWholeText) {
  const CharsetCode forms[] = {CharsetUtf8,  CharsetShiftJis, CharsetEucJp, CharsetIso2022Jp, CharsetGbk,
                               CharsetGb18030, CharsetBig5,   CharsetEucKr, CharsetUtf32,     CharsetUtf32BE,
                               CharsetKoi8R};
  std::mt19937 random(20261209);
  for (CharsetCode source : forms) {
    for (CharsetCode destination : forms) {
      for (int round = 0; round < 8; ++round) {
        PipelineOptions options;
        options.source = source;
        options.destination = destination;
        options.writeBom = round % 2 == 0;
        options.rewriteLineBreaks = round % 4 == 1;
        options.lineBreakType = 1;
        options.rewriteXml = round % 3 == 1;
        options.destinationName = u"Shift_JIS";
        const Bytes text = RandomText(random, source);
        const Bytes expected = ConvertWhole(text, options);
        ASSERT_EQ(ConvertInPieces(text, options, random, round < 4 ? 1 + round : 64), expected)
            << "source " << source << ", destination " << destination << ", round " << round;
      }
    }
  }
}

TEST(TextPipeline, MarksAndEmptyTexts) {
  PipelineOptions options;
  options.source = CharsetUtf8;
  options.destination = CharsetUtf16BE;
  std::mt19937 random(1);
  // Only the first unit is a mark to drop; the second stays.
  const Bytes twoMarks = {0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF, 'x'};
  EXPECT_EQ(ConvertInPieces(twoMarks, options, random, 1), (Bytes{0xFE, 0xFF, 0xFE, 0xFF, 0x00, 'x'}));
  // An empty text gives the mark alone, or nothing.
  EXPECT_EQ(ConvertInPieces({}, options, random, 4), (Bytes{0xFE, 0xFF}));
  options.writeBom = false;
  EXPECT_EQ(ConvertInPieces({}, options, random, 4), Bytes{});
  // Removing the line breaks in front of a mark makes it the first unit.
  options.rewriteLineBreaks = true;
  options.lineBreakType = 0;
  const Bytes breaksThenMark = {'\r', '\n', 0xEF, 0xBB, 0xBF, 'y'};
  EXPECT_EQ(ConvertInPieces(breaksThenMark, options, random, 1), (Bytes{0x00, 'y'}));
}

std::uint64_t Losses(const Bytes& in, CharsetCode source, CharsetCode destination) {
  PipelineOptions options;
  options.source = source;
  options.destination = destination;
  std::mt19937 random(7);
  std::uint64_t losses = 0;
  ConvertInPieces(in, options, random, in.size() + 1, &losses);
  return losses;
}

TEST(TextPipeline, CountsEveryCharacterItCouldNotCarryOver) {
  const Bytes zh = {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, ' ', 0xD0, 0xA0, 0xD1, 0x83, 0xD1, 0x81, ' ', 'o', 'k', '?'};
  EXPECT_EQ(Losses(zh, CharsetUtf8, 18), 5u) << "2 Chinese and 3 Cyrillic letters; the '?' of the text is no loss";
  EXPECT_EQ(Losses(zh, CharsetUtf8, 17), 2u) << "Windows-1251 has the Cyrillic ones";
  EXPECT_EQ(Losses(zh, CharsetUtf8, CharsetUtf16), 0u);
  // Malformed UTF-8: each sequence the decoder replaces, once, also when
  // the replacement then becomes '?'.
  const Bytes malformed = {'a', 0xFF, 0xC3, '(', 0xE2, 0x82};
  EXPECT_EQ(Losses(malformed, CharsetUtf8, CharsetUtf16), 3u);
  EXPECT_EQ(Losses(malformed, CharsetUtf8, 18), 3u);
  // A U+FFFD that was in the text already is not counted again.
  EXPECT_EQ(Losses({0xEF, 0xBF, 0xBD}, CharsetUtf8, CharsetUtf16), 0u);
  // Bytes the source set leaves undefined, and ISO-8859-12's upper half.
  EXPECT_EQ(Losses({'a', 0x81, 0x8D, 0x80}, 18, CharsetUtf8), 2u);
  EXPECT_EQ(Losses({'a', 0x81, 0x8D, 0x80}, 18, 0), 3u) << "and the euro sign ISO-8859-1 lacks";
  EXPECT_EQ(Losses({'G', 'r', 0xFC, 0xDF, 'e', 0xA0}, 11, CharsetUtf8), 3u);
  // U+FFFF goes to a byte the set leaves undefined: no character of it. The
  // decoder's stand-in for such a byte is counted once.
  EXPECT_EQ(Losses({'a', 0, 0xFF, 0xFF, 'b', 0}, CharsetUtf16, 18), 1u);
  EXPECT_EQ(Losses({'a', 0, 0xFF, 0xFF, 0xFF, 0xFF, '?', 0}, CharsetUtf16, 18), 2u);
  EXPECT_EQ(Losses({'a', 0x81, 0x9D, 'b'}, 18, 18), 2u);
  // UTF-16: an odd last byte, and surrogates without their other half; a
  // pair that a single-byte set lacks is one character.
  EXPECT_EQ(Losses({'h', 0, 'i'}, CharsetUtf16, CharsetUtf8), 1u);
  EXPECT_EQ(Losses({0x00, 0xD8, 'a', 0, 0x00, 0xDC}, CharsetUtf16, CharsetUtf8), 2u);
  EXPECT_EQ(Losses({0x3D, 0xD8, 0x00, 0xDE}, CharsetUtf16, CharsetUtf8), 0u);
  EXPECT_EQ(Losses({0x3D, 0xD8, 0x00, 0xDE, '?', 0}, CharsetUtf16, 0), 1u);
  EXPECT_EQ(Losses({0x00, 0xD8, 0x00, 0xD8}, CharsetUtf16, CharsetUtf16BE), 0u) << "UTF-16 carries them as they are";
}

// UTF-16 text of `count` units of 'a' with `unit` (and `next`, if any) at `at`.
Bytes Utf16With(std::size_t count, std::size_t at, std::uint16_t unit, std::uint16_t next = 0) {
  std::vector<std::uint16_t> units(count, 'a');
  units[at] = unit;
  if (next != 0) units[at + 1] = next;
  Bytes bytes;
  for (std::uint16_t u : units) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8)});
  return bytes;
}

TEST(TextPipeline, ALoneSurrogateIsCountedWhereverItStands) {
  // The search for surrogates looks at several units at once: every place in
  // and after a word, and units one bit away from a surrogate.
  for (std::size_t count = 1; count <= 11; ++count) {
    for (std::size_t at = 0; at < count; ++at) {
      for (std::uint16_t lone : {0xD800, 0xDBFF, 0xDC00, 0xDFFF})
        EXPECT_EQ(Losses(Utf16With(count, at, lone), CharsetUtf16, CharsetUtf8), 1u) << count << " " << at;
      for (std::uint16_t near : {0xD7FF, 0xE000, 0x5800, 0xF800, 0x9800, 0xD000, 0xFFFF, 0x0000})
        EXPECT_EQ(Losses(Utf16With(count, at, near), CharsetUtf16, CharsetUtf8), 0u) << count << " " << at;
      if (at + 1 < count) {
        EXPECT_EQ(Losses(Utf16With(count, at, 0xD83D, 0xDE00), CharsetUtf16, CharsetUtf8), 0u);
      }
    }
  }
}

TEST(TextPipeline, LossesDoNotDependOnWherePiecesEnd) {
  const CharsetCode forms[] = {CharsetUtf8, CharsetUtf16, CharsetUtf16BE, 0, 11, 17, 18};
  std::mt19937 random(12072026);
  for (CharsetCode source : forms) {
    for (CharsetCode destination : forms) {
      for (int round = 0; round < 20; ++round) {
        PipelineOptions options;
        options.source = source;
        options.destination = destination;
        const Bytes text = RandomText(random, source);
        std::uint64_t whole = 0, pieces = 0;
        ConvertInPieces(text, options, random, text.size() + 1, &whole);
        ConvertInPieces(text, options, random, 1 + round % 5, &pieces);
        ASSERT_EQ(pieces, whole) << "source " << source << ", destination " << destination << ", round " << round;
      }
    }
  }
}

// Text for the paths that go straight from bytes to bytes: RandomText's
// troubles between ASCII runs long enough for the word and vector steps,
// every plain UTF-8 length, and the values next to the ones that change.
Bytes StraightText(std::mt19937& random, CharsetCode source) {
  static const Bytes kForms[] = {
      {0xC2, 0x80}, {0xDF, 0xBF}, {0xC0, 0x80}, {0xC1, 0xBF}, {0xE0, 0xA0, 0x80}, {0xE0, 0x9F, 0xBF},
      {0xED, 0x9F, 0xBF}, {0xEE, 0x80, 0x80}, {0xEF, 0xBF, 0xBC}, {0xEF, 0xBF, 0xBD}, {0xEF, 0xBF, 0xBE},
      {0xEF, 0xBF, 0xBF}, {0xEF, 0xBB, 0xBF}, {0xF0, 0x90, 0x80, 0x80}, {0xF0, 0x8F, 0xBF, 0xBF},
      {0xF4, 0x8F, 0xBF, 0xBF}, {0xF4, 0x90, 0x80, 0x80}, {0xF5, 0x80, 0x80, 0x80}, {0xFC, 0x80, 0x80, 0x80, 0x80},
      {0xD0, 0x96}, {0xE2, 0x80, 0x99}, {0xC5, 0x93}, {'?'}, {0x00}};
  Bytes text;
  const std::size_t parts = random() % 24;
  for (std::size_t p = 0; p < parts; ++p) {
    const std::size_t run = random() % 3 == 0 ? random() % 80 : random() % 9;
    for (std::size_t i = 0; i < run; ++i) text.push_back(static_cast<std::uint8_t>('a' + i % 26));
    switch (random() % 3) {
      case 0: {
        const Bytes more = RandomText(random, source);
        text.insert(text.end(), more.begin(), more.begin() + std::min<std::size_t>(more.size(), random() % 12));
        break;
      }
      case 1: {
        const Bytes& form = kForms[random() % std::size(kForms)];
        text.insert(text.end(), form.begin(), form.end());
        break;
      }
      default:
        text.push_back(static_cast<std::uint8_t>(0x80 + random() % 0x80));
    }
  }
  return text;
}

// The straight paths give the bytes and the losses of the way through
// UTF-16, wherever pieces end, at every kernel level.
class StraightPaths : public levels::AtEveryLevel {};

TEST_P(StraightPaths, GiveTheBytesAndLossesOfTheWayThroughUtf16) {
  const CharsetCode singleByte[] = {0, 11, 12, 17, 18, 21, 26, 40, 48, CharsetKoi8R, CharsetKoi8U};
  std::vector<std::pair<CharsetCode, CharsetCode>> pairs = {
      {CharsetUtf8, CharsetUtf8},   {CharsetUtf8, CharsetUtf16}, {CharsetUtf8, CharsetUtf16BE},
      {CharsetUtf16, CharsetUtf8},  {CharsetUtf16, 18},          {CharsetUtf16, CharsetUtf16BE}};
  for (CharsetCode set : singleByte) {
    pairs.emplace_back(set, CharsetUtf8);
    pairs.emplace_back(CharsetUtf8, set);
  }
  std::mt19937 random(20261209);
  for (const auto& [source, destination] : pairs) {
    for (int round = 0; round < 40; ++round) {
      PipelineOptions options;
      options.source = source;
      options.destination = destination;
      options.writeBom = round % 2 == 0;
      const Bytes text = StraightText(random, source);
      const std::size_t maxPiece = round % 4 == 0 ? text.size() + 1 : 1 + round % 37;
      std::uint64_t straightLosses = 0, unitLosses = 0;
      const Bytes straight = ConvertInPieces(text, options, random, maxPiece, &straightLosses);
      options.straight = false;
      const Bytes throughUnits = ConvertInPieces(text, options, random, maxPiece, &unitLosses);
      ASSERT_EQ(straight, throughUnits) << "source " << source << ", destination " << destination << ", round " << round;
      ASSERT_EQ(straightLosses, unitLosses) << "source " << source << ", destination " << destination;
      if (round % 4 == 0) {
        ASSERT_EQ(straight, ConvertWhole(text, options));
      }
    }
  }
}

// A UTF-8 text is copied as it is only where it would come out the same:
// the bytes a pair is counted too many in a size must not hide the bytes
// overlong forms lose.
TEST_P(StraightPaths, CopyNoTextThatChangesOnTheWay) {
  // Eight bytes counted for the pair's four, four bytes lost by the overlongs.
  const Bytes text = {'a', 0xF0, 0x9F, 0x98, 0x80, 0xC0, 0x80, 0xC1, 0x81, 0xE0, 0x80, 0x80, 'z'};
  PipelineOptions options;
  options.writeBom = false;
  TextPipeline pipeline;
  pipeline.Start(options);
  Bytes out;
  BytesInto sink(out);
  std::size_t taken = 0;
  ASSERT_TRUE(pipeline.Convert(text.data(), text.size(), true, &taken, sink));
  EXPECT_EQ(out, (Bytes{'a', 0xF0, 0x9F, 0x98, 0x80, 0x00, 'A', 0x00, 'z'}));
}

// UTF-16 read where it lies gives what its copy gives, and a piece whose
// units do not lie aligned is copied.
TEST_P(StraightPaths, ReadUtf16WhereverThePieceLies) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 30; ++round) {
    PipelineOptions options;
    options.source = CharsetUtf16;
    options.destination = round % 3 == 0 ? CharsetUtf8 : round % 3 == 1 ? CharsetCode{18} : CharsetUtf16BE;
    const Bytes text = StraightText(random, CharsetUtf16);
    const auto convert = [&](const std::uint8_t* bytes, std::uint64_t* losses) {
      TextPipeline pipeline;
      pipeline.Start(options);
      Bytes out;
      BytesInto sink(out);
      std::size_t taken = 0;
      EXPECT_TRUE(pipeline.Convert(bytes, text.size(), true, &taken, sink));
      EXPECT_EQ(taken, text.size());
      *losses = pipeline.losses();
      return out;
    };
    Bytes shifted(text.size() + 1);
    std::copy(text.begin(), text.end(), shifted.begin() + 1);
    std::uint64_t alignedLosses = 0, shiftedLosses = 0, copiedLosses = 0;
    const Bytes aligned = convert(text.data(), &alignedLosses);
    const Bytes fromOdd = convert(shifted.data() + 1, &shiftedLosses);
    options.straight = false;
    const Bytes copied = convert(text.data(), &copiedLosses);
    ASSERT_EQ(aligned, copied) << "round " << round;
    ASSERT_EQ(fromOdd, copied) << "round " << round;
    ASSERT_EQ(alignedLosses, copiedLosses);
    ASSERT_EQ(shiftedLosses, copiedLosses);
  }
}

RECODO_AT_EVERY_LEVEL(StraightPaths);

}  // namespace
}  // namespace recodo
