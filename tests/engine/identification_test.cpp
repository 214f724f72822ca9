// What a conversion reads a source as: detection's answer for conversion,
// the guess where detection only falls back, and whether bytes are text.
#include "engine/identification.h"

#include "engine/engine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using recodo::engine::Identification;
using recodo::engine::SetIdentifier;
using Bytes = std::vector<std::uint8_t>;

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Fed in pieces of `piece` bytes (0: whole).
Identification Identify(const Bytes& bytes, bool guess, std::size_t piece = 0) {
  SetIdentifier identifier(guess);
  if (piece == 0) piece = bytes.size() + 1;
  for (std::size_t at = 0; at < bytes.size(); at += piece)
    identifier.Feed({bytes.data() + at, std::min(piece, bytes.size() - at)});
  return identifier.Finish();
}

TEST(Identification, WindowsPunctuationInLatin1TextIsWindows1252) {
  // Curly quotes and the euro sign: C1 controls in ISO-8859-1.
  EXPECT_EQ(Identify({0x93, 'o', 'k', 0x94, ' ', 0x80, ' ', 0xE9}, false).set, 18);
  EXPECT_EQ(Identify({'c', 'a', 'f', 0xE9}, false).set, 0) << "Latin-1 text without them";
  EXPECT_EQ(Identify(B("abc"), false).set, 0);
  EXPECT_EQ(Identify({0xE2, 0x82, 0xAC, 'x'}, false).set, 100) << "UTF-8 continuation bytes are no controls";
  EXPECT_EQ(Identify({0xFF, 0xFE, 0x93, 0x00}, false).set, 101);
  EXPECT_EQ(Identify({}, false).set, 0);
  // Below three bytes detection gives ISO-8859-1; a file of one two-byte
  // UTF-8 character is still UTF-8, guessed or not, and whole or cut.
  for (const bool guess : {false, true}) {
    EXPECT_EQ(Identify({0xC3, 0xA9}, guess).set, 100);
    EXPECT_EQ(Identify({0xD0, 0xB6}, guess, 1).set, 100);
    EXPECT_NE(Identify({0xC0, 0x80}, guess).set, 100) << "overlong";
    EXPECT_NE(Identify({0xE9, 'a'}, guess).set, 100);
  }
  // Read on past the point where detection alone would stop.
  Bytes text(700 * 1024, 'a');
  text[0] = 0xE9;
  text.back() = 0x85;
  EXPECT_EQ(Identify(text, false, 256 * 1024).set, 18);
  EXPECT_EQ(recodo::ConversionSetOf(0, true), 18);
  EXPECT_EQ(recodo::ConversionSetOf(1, true), 1) << "only ISO-8859-1 turns";
}

// A form the decoder would refuse, or an overlong one, makes no UTF-8 of a
// file, though the exported detection, which keeps to the measuring pass,
// says UTF-8: "VOIL\xC0\xBB" is Windows-1252's "VOILÀ»", not "VOIL;".
TEST(Identification, RefusedAndOverlongFormsAreNoUtf8) {
  for (const Bytes& text : {Bytes{'V', 'O', 'I', 'L', 0xC0, 0xBB, '\n'}, Bytes{'a', 0xE0, 0x80, 0xAF, 'b'},
                            Bytes{'e', 's', 0xED, 0xA0, 0x80, ' ', '5'}, Bytes{'x', 0xF0, 0x80, 0x80, 0xAF},
                            Bytes{'x', 0xF4, 0x90, 0x80, 0x80}, Bytes{'x', 0xF5, 0x80, 0x80, 0x80, 'y'}}) {
    SCOPED_TRACE(::testing::PrintToString(text));
    EXPECT_NE(Identify(text, false).set, 100);
    EXPECT_NE(Identify(text, true).set, 100);
    // Cut between the lead and its second byte, in pieces of one byte.
    EXPECT_NE(Identify(text, false, 1).set, 100);
    EXPECT_EQ(recodo::engine::DetectCharacterSet(text), 100);
  }
  // The forms next to them are UTF-8.
  for (const Bytes& text : {Bytes{'a', 0xC2, 0x80, 'b'}, Bytes{'a', 0xE0, 0xA0, 0x80}, Bytes{0xED, 0x9F, 0xBF, 'x'},
                            Bytes{0xF0, 0x90, 0x80, 0x80}, Bytes{0xF4, 0x8F, 0xBF, 0xBF}})
    EXPECT_EQ(Identify(text, false, 1).set, 100) << ::testing::PrintToString(text);
}

TEST(Utf8Forms, OverlongFormsAreCountedWhereTheyAreWhole) {
  using recodo::engine::CountOverlongUtf8;
  EXPECT_EQ(CountOverlongUtf8(Bytes{'a', 0xC0, 0x80, 0xC1, 0xBF, 0xE0, 0x80, 0xAF, 0xE0, 0x9F, 0xBF}), 4u);
  EXPECT_EQ(CountOverlongUtf8(Bytes{0xC2, 0x80, 0xE0, 0xA0, 0x80, 0xF0, 0x80, 0x80, 0xAF}), 0u)
      << "shortest forms; a four-byte overlong is refused, and counted, by the decoder";
  EXPECT_EQ(CountOverlongUtf8(Bytes{0xC0, 'a', 0xE0, 0x80, 'b', 0xC0}), 0u) << "no whole form";
  // Among long runs of ASCII, past every block.
  Bytes text(300, 'a');
  text.insert(text.begin() + 200, {0xC0, 0xAF});
  text.push_back(0xC1);
  text.push_back(0x81);
  EXPECT_EQ(CountOverlongUtf8(text), 2u);
}

TEST(Identification, ArchivesImagesAndProgramsAreNotText) {
  const std::string tail = " then some words of text after the header, which do not make it text.";
  const std::vector<std::string> headers = {
      std::string("\x7F" "ELF\x02\x01\x01\x00\x00\x00", 10),          // a program
      std::string("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16),       // an image
      std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03", 10),    // gzip
      std::string("PK\x03\x04\x14\x00\x06\x00\x08\x00", 10),          // a .docx, a zip
      std::string("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n\x00\x01", 26),  // a PDF stream
  };
  for (const std::string& header : headers) {
    const Identification plain = Identify(B(header + tail), false);
    EXPECT_FALSE(plain.text) << header;
    const Identification guessed = Identify(B(header + tail), true);
    EXPECT_FALSE(guessed.text);
    EXPECT_FALSE(guessed.guessed) << "what is not text is never guessed as text";
    EXPECT_EQ(guessed.confidence, 0);
  }
  // Controls with no zero byte, past a trace.
  std::string noisy = "binary-ish";
  for (int i = 0; i < 40; ++i) noisy += std::string("\x01\x02 word \x10", 9);
  EXPECT_FALSE(Identify(B(noisy), false).text);
}

TEST(Identification, TextKeepsItsControlsAndUtf16ItsZeros) {
  // Tabs, form feeds, terminal colours, an old end-of-file mark.
  const std::string text = "col1\tcol2\r\n\x0Cpage two\n\x1B[1mbold\x1B[0m\x0B\n\x1A";
  EXPECT_TRUE(Identify(B(text), false).text);
  // One stray bell in a page of text is a trace.
  std::string page(2000, 'x');
  page[700] = 0x07;
  EXPECT_TRUE(Identify(B(page), false).text);
  page[701] = 0x07;
  page[702] = 0x08;
  EXPECT_TRUE(Identify(B(page), false).text) << "three in 2000 bytes: 7 would be one in 256";
  for (int i = 0; i < 10; ++i) page[800 + i] = 0x01;
  EXPECT_FALSE(Identify(B(page), false).text);
  // UTF-16, with or without a mark, holds zero bytes.
  const Bytes utf16 = {'h', 0, 'i', 0, 0x01, 0, '\n', 0};
  EXPECT_EQ(Identify(utf16, true).set, 101);
  EXPECT_TRUE(Identify(utf16, true).text);
  EXPECT_TRUE(Identify({0xFE, 0xFF, 0, 'h', 0, 'i'}, false).text);
  // A zero byte past the window is not looked at.
  Bytes late(recodo::engine::kDetectionWindow, 'a');
  late.push_back(0);
  EXPECT_TRUE(Identify(late, false).text);
  late[100] = 0;
  EXPECT_FALSE(Identify(late, false).text);
}

TEST(Identification, ShortTextsLeanToTheCommonSetsAndSayHowLittleTheyRestOn) {
  // Windows-1252 text that Windows-1250 or DOS-775 also read as words.
  for (const std::string& text : {std::string("na\xEFve caf\xE9"), std::string("Les ca\xEFmans nagent."),
                                  std::string("Cr\xE8me br\xFBl\xE9" "e")}) {
    const Identification id = Identify(B(text), true);
    EXPECT_EQ(id.set, 18) << text;
    EXPECT_TRUE(id.guessed);
    EXPECT_LT(id.confidence, recodo::engine::kHighGuessConfidence) << text;
  }
  // Polish in Windows-1250 still reads as Polish; sure once it rests on
  // more than a few letters.
  const std::string polish =
      "Wczoraj wieczorem d\xB3ugo spacerowali\x9Cmy po starym mie\x9C" "cie i rozmawiali\x9Cmy o ksi\xB9\xBFkach.";
  Identification id = Identify(B(polish), true);
  EXPECT_EQ(id.set, 16);
  EXPECT_LT(id.confidence, 90) << "six letters beyond ASCII";
  id = Identify(B(polish + " Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1."), true);
  EXPECT_EQ(id.set, 16);
  EXPECT_GE(id.confidence, 90);
  // Plain ASCII is detection's answer, sure.
  const Identification ascii = Identify(B("plain words"), true);
  EXPECT_FALSE(ascii.guessed);
  EXPECT_EQ(ascii.confidence, 100);
}

TEST(Identification, DetectionThatFoundMoreThanTheFallbackStands) {
  const std::string cyrillic = "\xC2\xF7\xE5\xF0\xE0 \xE2\xE5\xF7\xE5\xF0\xEE\xEC \xEC\xFB";  // Windows-1251
  EXPECT_EQ(Identify(B("\xEF\xBB\xBF" + cyrillic), true).set, 100) << "a mark";
  EXPECT_EQ(Identify(B("caf\xC3\xA9"), true).set, 100) << "well-formed UTF-8";
  EXPECT_EQ(Identify(B(cyrillic), true).set, 17);
  EXPECT_EQ(Identify(B(cyrillic), true).detected, 0);
  EXPECT_EQ(Identify(B(cyrillic), false).set, 0) << "without the guess, detection's fallback";
}

TEST(Identification, Utf32AndIso2022JpAreToldByTheirShape) {
  // "Hi ж\n" as UTF-32 without a mark: zero bytes, but text.
  const Bytes little = {'H', 0, 0, 0, 'i', 0, 0, 0, ' ', 0, 0, 0, 0x36, 0x04, 0, 0, '\n', 0, 0, 0};
  Bytes big;
  for (std::size_t i = 0; i < little.size(); i += 4) big.insert(big.end(), little.rbegin() + (little.size() - i - 4),
                                                                little.rbegin() + (little.size() - i));
  for (const auto& [bytes, set] : {std::pair{little, 103}, std::pair{big, 104}}) {
    const Identification guessed = Identify(bytes, true);
    EXPECT_EQ(guessed.set, set);
    EXPECT_TRUE(guessed.text);
    EXPECT_TRUE(guessed.guessed);
    EXPECT_GE(guessed.confidence, 90);
    const Identification plain = Identify(bytes, false);
    EXPECT_NE(plain.set, set) << "without the guess detection stands";
    EXPECT_EQ(plain.hint, set) << "and the guess is told";
  }
  // UTF-16 without a mark is no UTF-32: its units pass U+10FFFF.
  EXPECT_EQ(Identify({'h', 0, 'i', 0, '!', 0, '\n', 0}, true).set, 101);
  // Nor is a text with a zero character.
  EXPECT_NE(Identify({'h', 0, 0, 0, 0, 0, 0, 0, 'i', 0, 0, 0}, true).set, 103);

  // ISO-2022-JP is seven-bit: its escapes, not its bytes, tell it.
  const std::string jis = "Mail: \x1B$B$3$s$K$A$O!#F|K\\8l$G$9!#\x1B(B end\n";  // こんにちは。日本語です。
  const Identification japanese = Identify(B(jis), true);
  EXPECT_EQ(japanese.set, 122);
  EXPECT_STREQ(recodo::engine::LanguageTag(japanese.language), "ja");
  EXPECT_EQ(Identify(B(jis), false).hint, 122);
  // Terminal colours are escapes too, but shift into nothing.
  const Identification colours = Identify(B("\x1B[1mbold\x1B[0m and \x1B$Bbroken"), true);
  EXPECT_EQ(colours.set, 0);
  EXPECT_FALSE(colours.guessed);
}

TEST(Identification, ShapesOfOtherTextsAreNotTakenForThem) {
  // UTF-16 whose every other unit is a line break or a tab makes code points
  // of unassigned planes as UTF-32; a UTF-16 mark settles it anyway.
  Bytes lines;
  for (char16_t c : std::u16string(u"中文日本語学校電車")) lines.insert(lines.end(), {Bytes::value_type(c & 0xFF),
                                                                                  Bytes::value_type(c >> 8), '\n', 0});
  EXPECT_NE(Identify(lines, true).set, 103);
  const Bytes marked = {0xFF, 0xFE, '\t', 0, 0x42, 0x30, '\n', 0, 0x44, 0x30, '\n', 0};
  EXPECT_EQ(Identify(marked, true).set, 101);
  EXPECT_EQ(Identify(marked, false).hint, -1);
  // UTF-8 with one stray byte is UTF-8, not a single-byte set's mojibake.
  std::string utf8;
  for (int i = 0; i < 8; ++i) utf8 += "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE6\x9B\xB8\xE3\x80\x82";
  utf8.insert(20, "\xFF");
  EXPECT_EQ(Identify(B(utf8), true).set, 100);
  EXPECT_EQ(Identify(B(utf8), false).hint, 100);
  // A stray ESC ( J shifts into nothing Japanese: JIS-Roman only.
  const Identification roman = Identify(B("path \x1B(J C:\\dir\\file ~user\n"), true);
  EXPECT_NE(roman.set, 122);
  EXPECT_FALSE(roman.guessed);
}

TEST(Identification, BytesBeyondASCIIPastTheWindowWereNotGuessed) {
  Bytes text(recodo::engine::kDetectionWindow, 'a');
  for (std::uint8_t b : {0xF0, 0xD2, 0xC9, 0xD7, 0xC5, 0xD4}) text.push_back(b);  // KOI8-R
  const Identification guessed = Identify(text, true, 4096);
  EXPECT_TRUE(guessed.guessed) << "a guess of nothing, which never replaces a source";
  EXPECT_EQ(guessed.confidence, 0);
  const Identification plain = Identify(text, false);
  EXPECT_FALSE(plain.guessed);
  EXPECT_EQ(plain.hint, -1);
  EXPECT_FALSE(Identify(Bytes(recodo::engine::kDetectionWindow + 10, 'a'), true).guessed) << "plain ASCII";
}

TEST(Identification, WithoutTheGuessASureGuessOfAnotherSetIsOnlyTold) {
  const std::string cyrillic =  // Windows-1251, sure
      "\xC2\xF7\xE5\xF0\xE0 \xE2\xE5\xF7\xE5\xF0\xEE\xEC \xEC\xFB \xE4\xEE\xEB\xE3\xEE "
      "\xE3\xF3\xEB\xFF\xEB\xE8 \xEF\xEE \xF1\xF2\xE0\xF0\xEE\xEC\xF3 \xE3\xEE\xF0\xEE\xE4\xF3.";
  const Identification plain = Identify(B(cyrillic), false);
  EXPECT_EQ(plain.set, 0) << "the conversion is unchanged";
  EXPECT_FALSE(plain.guessed);
  EXPECT_EQ(plain.hint, 17);
  EXPECT_STREQ(recodo::engine::LanguageName(plain.hintLanguage), "Russian");
  EXPECT_GE(plain.hintConfidence, 90);
  // No hint where the guess is unsure, reads as the fallback does, or where
  // detection found more than its fallback.
  EXPECT_EQ(Identify(B("na\xEFve caf\xE9"), false).hint, -1);
  EXPECT_EQ(Identify(B("plain words"), false).hint, -1);
  EXPECT_EQ(Identify(B("\x93quoted\x94 and caf\xE9, cr\xE8me, na\xEFve, \xE9t\xE9, d\xE9j\xE0 vu"), false).hint, -1);
  EXPECT_EQ(Identify(B("caf\xC3\xA9"), false).hint, -1);
}

TEST(Identification, DecidesOnlyOnceTheWindowIsRead) {
  SetIdentifier identifier(false);
  const Bytes mark = {0xFF, 0xFE, 'a', 0};
  identifier.Feed(mark);
  EXPECT_FALSE(identifier.Decided()) << "the mark settles the set, not the shape";
  const Bytes rest(recodo::engine::kDetectionWindow, 'a');
  identifier.Feed(rest);
  EXPECT_TRUE(identifier.Decided());
  EXPECT_EQ(identifier.Finish().set, 101);

  // Latin-1 might still meet a C1 byte and turn Windows-1252: detection
  // reads on. A guess has nothing to add once its window holds no text.
  for (const bool guess : {false, true}) {
    SetIdentifier stream(guess);
    Bytes head = {0xE9, 0xE0, ' ', 0x00};
    head.resize(recodo::engine::kDetectionWindow, 'y');
    stream.Feed(head);
    EXPECT_EQ(stream.Decided(), guess);
    if (guess) {
      EXPECT_FALSE(stream.Finish().text);
    }
  }
}

TEST(Identification, TheAnswerDoesNotDependOnHowTheTextIsCut) {
  std::mt19937 rng(20261208);
  const Bytes pieces[] = {{0xC3, 0xA9}, {0xE9}, {0x93}, {0x00}, {0x01}, {'a'}, {' '}, {0xF0, 0xE0}, {'\n'}};
  for (int round = 0; round < 300; ++round) {
    Bytes text;
    const int count = std::uniform_int_distribution<int>(0, 200)(rng);
    for (int i = 0; i < count; ++i) {
      const Bytes& piece = pieces[std::uniform_int_distribution<int>(0, 8)(rng)];
      text.insert(text.end(), piece.begin(), piece.end());
    }
    for (bool guess : {false, true}) {
      const Identification whole = Identify(text, guess);
      const Identification cut = Identify(text, guess, std::uniform_int_distribution<std::size_t>(1, 9)(rng));
      ASSERT_EQ(cut.set, whole.set);
      ASSERT_EQ(cut.text, whole.text);
      ASSERT_EQ(cut.confidence, whole.confidence);
      ASSERT_EQ(cut.guessed, whole.guessed);
      ASSERT_EQ(cut.hint, whole.hint);
    }
  }
}

}  // namespace
