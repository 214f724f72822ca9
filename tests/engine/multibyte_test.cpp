// The longer sets' codecs where ICU has nothing to compare with: what
// becomes of malformed input and of characters a set lacks, how the two
// exported functions treat their arguments and capacities, and ISO-2022-JP's
// shift state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "recodo/recodo.h"

namespace recodo {
namespace {

using Bytes = std::string;

struct Decoded {
  std::u16string text;
  std::uint32_t result;
};

Decoded Decode(CharsetCode set, const Bytes& bytes) {
  std::uint32_t size = 0;
  const auto n = static_cast<std::uint32_t>(bytes.size());
  const auto* src = reinterpret_cast<const std::uint8_t*>(bytes.data());
  EXPECT_EQ(ConvertMultiByteToDoubleByte(set, src, n, nullptr, &size), RECODO_CONV_OK);
  std::u16string text(size / 2, u'\0');
  std::uint32_t length = size;
  const std::uint32_t result =
      ConvertMultiByteToDoubleByte(set, src, n, reinterpret_cast<std::uint16_t*>(text.data()), &length);
  text.resize(length / 2);
  return {text, result};
}

struct Encoded {
  Bytes bytes;
  std::uint32_t result;
};

Encoded Encode(CharsetCode set, const std::u16string& text) {
  std::uint32_t size = 0;
  const auto n = static_cast<std::uint32_t>(text.size() * 2);
  const auto* src = reinterpret_cast<const std::uint16_t*>(text.data());
  EXPECT_EQ(ConvertDoubleByteToMultiByte(set, src, n, nullptr, &size), RECODO_CONV_OK);
  Bytes bytes(size, '\0');
  std::uint32_t length = size;
  const std::uint32_t result =
      ConvertDoubleByteToMultiByte(set, src, n, reinterpret_cast<std::uint8_t*>(bytes.data()), &length);
  bytes.resize(length);
  return {bytes, result};
}

TEST(MultiByteDecoding, MalformedInputBecomesOneReplacementAndTheTextGoesOn) {
  struct Case {
    CharsetCode set;
    Bytes bytes;
    std::u16string text;
  } cases[] = {
      // A lead before an ASCII byte: the byte is a character of its own.
      {CharsetShiftJis, "\x82" "A\x82\xa0", u"\uFFFDA\u3042"},
      {CharsetEucKr, "\xb0" "\n", u"\uFFFD\n"},
      // A lead before an upper byte that pairs with nothing: one for both.
      {CharsetBig5, "\xa1\x30\xa1\x80" "a", u"\uFFFD0\uFFFDa"},
      // Cut off by the end of the text.
      {CharsetGbk, "ab\x81", u"ab\uFFFD"},
      {CharsetEucJp, "\x8f\xb0", u"\uFFFD\uFFFD"},
      {CharsetGb18030, "\x81\x30\x81", u"\uFFFD0\uFFFD"},
      // GB 18030's four bytes: the BMP, beyond it, and between the two.
      {CharsetGb18030, "\x81\x30\x81\x30\x90\x30\x81\x30\x84\x31\xa5\x30", u"\u0080\U00010000\uFFFD"},
      {CharsetGb18030, "\xe3\x32\x9a\x35\xe3\x32\x9a\x36", u"\U0010FFFF\uFFFD"},
      // UTF-32: surrogates, values past U+10FFFF and a last odd byte.
      {CharsetUtf32, Bytes("\x00\xd8\x00\x00\x00\x00\x11\x00" "A\x00\x00\x00" "B", 13), u"\uFFFD\uFFFDA\uFFFD"},
      {CharsetUtf32BE, Bytes("\x00\x01\xf6\x00\x00\x00", 6), u"\U0001F600\uFFFD"},
      // Overlong UTF-8 forms keep the value they spell, and are still told;
      // an odd last byte of UTF-16BE forms no unit.
      {CharsetUtf8, "\xc0\xaf" "a\xe0\x80\xaf", u"/a/"},
      {CharsetUtf8, "\xc3\xa9\xe0\x9f\xbf", u"\u00e9\u07ff"},
      {CharsetUtf16BE, Bytes("\x00" "a\x00", 3), u"a"},
  };
  for (const Case& c : cases) {
    const Decoded d = Decode(c.set, c.bytes);
    EXPECT_TRUE(d.text == c.text) << c.set << " " << c.bytes;
    EXPECT_EQ(d.result, RECODO_CONV_INVALID_DATA) << c.set << " " << c.bytes;
  }
  EXPECT_EQ(Decode(CharsetEucJp, "\x8e\xb1\x8f\xb0\xa1\xa4\xa2").result, RECODO_CONV_OK);
  EXPECT_EQ(Decode(CharsetUtf8, "\xc3\xa9\xf0\x9f\x98\x80\xe2\x82\xac\xef\xbb\xbf").result, RECODO_CONV_OK);
}

TEST(MultiByteEncoding, WhatASetLacksBecomesOneQuestionMarkAndIsSaid) {
  // A character beyond the BMP is one loss, not two.
  Encoded e = Encode(CharsetShiftJis, u"a\U0001F600b\u00e9");
  EXPECT_EQ(e.bytes, "a?b?");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  // A U+FFFD of the text is lost too, where no decoder counted it before.
  e = Encode(CharsetBig5, u"\uFFFD");
  EXPECT_EQ(e.bytes, "?");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  e = Encode(CharsetEucKr, std::u16string(1, u'\xD800'));
  EXPECT_EQ(e.bytes, "?");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  // GB 18030 and UTF-32 hold every character: a lone half becomes U+FFFD.
  e = Encode(CharsetGb18030, std::u16string(u"\U0010FFFF") + u'\xDC00');
  EXPECT_EQ(e.bytes, "\xe3\x32\x9a\x35\x84\x31\xa4\x37");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  e = Encode(CharsetUtf32BE, u"\U0001F600");
  EXPECT_EQ(e.bytes, Bytes("\x00\x01\xf6\x00", 4));
  EXPECT_EQ(e.result, RECODO_CONV_OK);
  // U+FFFF goes to a byte the set leaves undefined, which holds no
  // character either; the set's own 0x9D, 0x81 or '?' are no loss.
  e = Encode(CharsetWindows1252, u"a\uFFFFb");
  EXPECT_EQ(e.bytes, "a\x9d" "b");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  e = Encode(CharsetIso8859_1, u"\uFFFF");
  EXPECT_EQ(e.bytes, "?");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  e = Encode(CharsetIso8859_1, u"?\u009d\u0081");
  EXPECT_EQ(e.bytes, "?\x9d\x81");
  EXPECT_EQ(e.result, RECODO_CONV_OK);
  e = Encode(CharsetWindows1252, u"?\u20ac");
  EXPECT_EQ(e.bytes, "?\x80");
  EXPECT_EQ(e.result, RECODO_CONV_OK);
}

TEST(Iso2022Jp, EscapesSwitchAndEveryTextEndsInAscii) {
  EXPECT_EQ(Encode(CharsetIso2022Jp, u"a\u3042\u00a5b\u3042").bytes, "a\x1b$B$\"\x1b(J\\\x1b(Bb\x1b$B$\"\x1b(B");
  // Half-width katakana has no place in it.
  const Encoded e = Encode(CharsetIso2022Jp, u"\u3042\uff71");
  EXPECT_EQ(e.bytes, "\x1b$B$\"\x1b(B?");
  EXPECT_EQ(e.result, RECODO_CONV_INVALID_DATA);
  EXPECT_TRUE(Decode(CharsetIso2022Jp, "\x1b$@$\"\x1b(J\\~\x1b(B\\~").text == u"\u3042\u00a5\u203e\\~");
  // Half-width katakana and JIS X 0212, which other mail programs write,
  // are read.
  EXPECT_TRUE(Decode(CharsetIso2022Jp, "\x1b(I12\x1b$(D0!\x1b(Ba").text == u"\uff71\uff72\u4e02a");
  // An escape to a set this form does not hold: every byte up to the next
  // escape is malformed, none read as if it were ASCII.
  Decoded d = Decode(CharsetIso2022Jp, "\x1b$B$\"\x1b(Z$\"\x1b(Ba\x80");
  EXPECT_TRUE(d.text == u"\u3042\uFFFD\uFFFD\uFFFDa\uFFFD");
  EXPECT_EQ(d.result, RECODO_CONV_INVALID_DATA);
  // An ESC that starts no escape sequence is malformed alone.
  d = Decode(CharsetIso2022Jp, "a\x1b\nb");
  EXPECT_TRUE(d.text == u"a\uFFFD\nb");
  // An ESC of the text is never written as itself: a reader would take it
  // for the start of an escape.
  const Encoded esc = Encode(CharsetIso2022Jp, u"x\x1b$B0!");
  EXPECT_EQ(esc.bytes, "x?$B0!");
  EXPECT_EQ(esc.result, RECODO_CONV_INVALID_DATA);
}

TEST(Iso2022Jp, TheShiftStateCarriesFromPieceToPiece) {
  const Bytes text = "\x1b$B$\"$$\x1b(Ba";
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    engine::TextDecoding progress;
    std::u16string out;
    std::vector<std::uint16_t> units(text.size() + 1);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    engine::DecodeMultiByte(CharsetIso2022Jp, {bytes, cut}, false, units.data(), &progress);
    out.append(units.begin(), units.begin() + progress.units);
    const std::size_t rest = progress.consumed;
    engine::DecodeMultiByte(CharsetIso2022Jp, {bytes + rest, text.size() - rest}, true, units.data(), &progress);
    out.append(units.begin(), units.begin() + progress.units);
    EXPECT_TRUE(out == u"\u3042\u3044a") << cut;
    EXPECT_EQ(progress.substitutions, 0u) << cut;
  }
}

TEST(AnySetFunctions, ArgumentsAndCapacities) {
  const std::uint8_t sjis[] = {0x82, 0xa0, 'a'};
  std::uint16_t units[4] = {};
  std::uint32_t length = 0;
  // UTF-16 itself, "none fits" and codes that name nothing are refused.
  for (int set : {RECODO_CHARSET_UTF16, RECODO_CHARSET_COUNT, 105, 127, -1}) {
    length = 0;
    EXPECT_EQ(ConvertMultiByteToDoubleByte(set, sjis, 3, nullptr, &length), RECODO_CONV_INVALID_DATA) << set;
    EXPECT_EQ(ConvertDoubleByteToMultiByte(set, units, 2, nullptr, &length), RECODO_CONV_INVALID_DATA) << set;
  }
  EXPECT_EQ(ConvertMultiByteToDoubleByte(CharsetShiftJis, nullptr, 3, nullptr, &length), RECODO_CONV_INVALID_DATA);
  EXPECT_EQ(ConvertMultiByteToDoubleByte(CharsetShiftJis, sjis, 3, nullptr, nullptr), RECODO_CONV_INVALID_DATA);
  length = 4;
  EXPECT_EQ(ConvertMultiByteToDoubleByte(CharsetShiftJis, sjis, 3, nullptr, &length), RECODO_CONV_INVALID_DATA);
  // The sizes answer from a bound; a short capacity writes whole units.
  length = 0;
  EXPECT_EQ(ConvertMultiByteToDoubleByte(CharsetShiftJis, sjis, 3, nullptr, &length), RECODO_CONV_OK);
  EXPECT_EQ(length, 6u);
  length = 3;
  EXPECT_EQ(ConvertMultiByteToDoubleByte(CharsetShiftJis, sjis, 3, units, &length), RECODO_CONV_BUFFER_TOO_SMALL);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(units[0], 0x3042);
  const std::uint16_t text[] = {0x3042, 0x3042, 'a'};
  length = 0;
  EXPECT_EQ(ConvertDoubleByteToMultiByte(CharsetIso2022Jp, text, 6, nullptr, &length), RECODO_CONV_OK);
  EXPECT_EQ(length, 3u * 5 + 3);
  length = 0;
  EXPECT_EQ(ConvertDoubleByteToMultiByte(CharsetShiftJis, text, 6, nullptr, &length), RECODO_CONV_OK);
  EXPECT_EQ(length, 3u * 2);
  std::uint8_t out[18] = {};
  length = 4;  // one short: never part of a character
  EXPECT_EQ(ConvertDoubleByteToMultiByte(CharsetEucJp, text, 6, out, &length), RECODO_CONV_BUFFER_TOO_SMALL);
  EXPECT_LE(length, 4u);
  EXPECT_EQ(length % 2, 0u);
  // Every set of the catalogue but UTF-16, through one function.
  length = sizeof units;
  EXPECT_EQ(ConvertMultiByteToDoubleByte(CharsetUtf8, reinterpret_cast<const std::uint8_t*>("\xc3\xa9"), 2, units,
                                         &length),
            RECODO_CONV_OK);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(units[0], 0x00E9);
  length = sizeof out;
  EXPECT_EQ(ConvertDoubleByteToMultiByte(18, units, 2, out, &length), RECODO_CONV_OK);
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(out[0], 0xE9);
}

}  // namespace
}  // namespace recodo
