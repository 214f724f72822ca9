// The guess of a legacy text's set: sentences of every script, written for
// these tests, encoded into the sets that hold them, must read right.
#include "engine/guess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/codepage_tables.generated.h"
#include "engine/detector.h"
#include "temp_file.h"
#include "engine/language_models.h"
#include "recodo/recodo.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Encodes through the engine, and only when the set holds every character.
bool Encode(int set, const std::u16string& text, Bytes* out) {
  out->assign(text.size(), 0);
  std::uint32_t size = static_cast<std::uint32_t>(out->size());
  ConvertDoubleByteToSingleByte(set, reinterpret_cast<const uint16_t*>(text.data()),
                                static_cast<std::uint32_t>(text.size() * 2), out->data(), &size);
  std::u16string back(text.size(), u'\0');
  std::uint32_t backSize = static_cast<std::uint32_t>(back.size() * 2);
  ConvertSingleByteToDoubleByte(set, out->data(), size, reinterpret_cast<uint16_t*>(back.data()), &backSize);
  return back == text;
}

// Right means: the guessed set reads the bytes as the same characters.
bool ReadsAlike(int guess, int truth, const Bytes& bytes) {
  for (std::uint8_t b : bytes)
    if (b >= 0x80 && recodo::CodePageTable[guess][b - 0x80] != recodo::CodePageTable[truth][b - 0x80]) return false;
  return true;
}

struct Case {
  const char* language;
  std::u16string text;
  std::vector<int> sets;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"Russian",
       u"Вчера вечером мы долго гуляли по старому городу, разговаривали о книгах и пили горячий чай в маленьком кафе.",
       {17, 38, 4, 41, 30}},
      {"Ukrainian", u"Ми їхали поїздом до Львова, і всю дорогу дивилися на поля, ліси та річки за вікном.", {17, 41}},
      {"Bulgarian", u"Времето днес е слънчево и топло, затова децата играят в парка до късно вечерта.", {17, 38, 4}},
      {"Polish", u"Wczoraj wieczorem długo spacerowaliśmy po starym mieście i rozmawialiśmy o książkach i muzyce.",
       {16, 1, 29, 44}},
      {"Czech", u"Včera večer jsme se dlouho procházeli starým městem a povídali si o knihách a hudbě.", {16, 1, 29}},
      {"Hungarian", u"Tegnap este sokáig sétáltunk a régi városban, és könyvekről beszélgettünk egy kávézóban.", {16, 1}},
      {"German",
       u"Gestern Abend sind wir lange durch die Altstadt gelaufen und haben über Bücher gesprochen, während draußen die "
       u"Straßen nass waren.",
       {18, 28, 45, 25}},
      {"French",
       u"Hier soir, nous avons longuement marché dans la vieille ville et parlé de livres, de musique et de cinéma à "
       u"la française.",
       {18, 28, 45}},
      {"Spanish", u"Ayer por la noche caminamos mucho por el casco antiguo y hablamos de libros, música y películas españolas.",
       {18, 28, 45}},
      {"Turkish", u"Dün akşam eski şehirde uzun uzun yürüdük ve küçük bir kafede kitaplar hakkında konuştuk.", {20, 8, 31}},
      {"Greek", u"Χθες το βράδυ περπατήσαμε πολλή ώρα στην παλιά πόλη και μιλήσαμε για βιβλία και μουσική.", {19, 6, 42}},
      {"Hebrew", u"אתמול בערב טיילנו הרבה זמן בעיר העתיקה ודיברנו על ספרים ועל מוזיקה ועל החיים.", {21, 7, 34}},
      {"Arabic", u"مشينا أمس طويلا في المدينة القديمة وتحدثنا عن الكتب والموسيقى والحياة.", {22}},
      {"Lithuanian", u"Vakar vakare ilgai vaikščiojome po senamiestį ir kalbėjomės apie knygas bei muziką.", {23, 12, 27}},
      {"Latvian", u"Vakar vakarā mēs ilgi staigājām pa veco pilsētu un runājām par grāmatām un mūziku.", {23, 12}},
      {"Thai", u"เมื่อวานตอนเย็นเราเดินเล่นในเมืองเก่าเป็นเวลานานและคุยกันเรื่องหนังสือและดนตรี", {15, 10}},
      // Windows-1258 writes most tones as combining marks after the letter.
      {"Vietnamese",
       u"Hôm qua chu\u0301ng tôi đi da\u0323o râ\u0301t lâu trong tha\u0300nh phô\u0301 cô\u0309 va\u0300 no\u0301i "
       u"chuyê\u0323n vê\u0300 sa\u0301ch.",
       {24}},
  };
  return cases;
}

TEST(Guess, SentencesOfEveryScriptReadRightInEverySetThatHoldsThem) {
  for (const Case& c : Cases()) {
    for (int set : c.sets) {
      Bytes bytes;
      ASSERT_TRUE(Encode(set, c.text, &bytes)) << c.language << " in set " << set;
      const recodo::CharsetGuess g = recodo::GuessSingleByteSet(bytes.data(), bytes.size());
      EXPECT_TRUE(ReadsAlike(g.set, set, bytes)) << c.language << " in set " << set << " guessed " << g.set;
      // A sentence in a set few people use reads almost as well in a common
      // one (MacCyrillic and Windows-1251 differ here in one capital): it
      // is named rightly, but with little confidence.
      const bool rare = set >= 25;
      if (!rare) {
        EXPECT_GE(g.confidence, 50) << c.language << " in set " << set;
      }
    }
  }
}

TEST(Guess, NamesTheLanguageOfCyrillicAndGreek) {
  Bytes bytes;
  ASSERT_TRUE(Encode(17, Cases()[0].text, &bytes));
  EXPECT_STREQ(recodo::GuessLanguageName(recodo::GuessSingleByteSet(bytes.data(), bytes.size()).language), "Russian");
  ASSERT_TRUE(Encode(19, Cases()[10].text, &bytes));
  EXPECT_STREQ(recodo::GuessLanguageName(recodo::GuessSingleByteSet(bytes.data(), bytes.size()).language), "Greek");
  EXPECT_STREQ(recodo::GuessLanguageName(-1), "");
}

TEST(Guess, SetsThatReadAlikeAreNamedByTheLanguagesWindowsSetThenWindowsIsoDosMac) {
  // German umlauts sit at the same bytes in ISO-8859-1, -15 and Windows-1252.
  Bytes bytes;
  ASSERT_TRUE(Encode(0, Cases()[6].text, &bytes));
  EXPECT_EQ(recodo::GuessSingleByteSet(bytes.data(), bytes.size()).set, 18);
  // Hebrew letters are the same bytes in ISO-8859-8 and Windows-1255.
  ASSERT_TRUE(Encode(7, Cases()[11].text, &bytes));
  EXPECT_EQ(recodo::GuessSingleByteSet(bytes.data(), bytes.size()).set, 21);
  // Cyrillic in ISO-8859-5 has no Windows or ISO twin for these bytes but itself.
  ASSERT_TRUE(Encode(4, Cases()[0].text, &bytes));
  EXPECT_EQ(recodo::GuessSingleByteSet(bytes.data(), bytes.size()).set, 4);
}

TEST(Guess, AsciiStaysWindows1252AndOnlyTheWindowCounts) {
  const std::string ascii = "Plain ASCII text, the same through every table.";
  const auto* a = reinterpret_cast<const std::uint8_t*>(ascii.data());
  const recodo::CharsetGuess g = recodo::GuessSingleByteSet(a, ascii.size());
  EXPECT_EQ(g.set, 18);
  EXPECT_EQ(g.confidence, 100);
  EXPECT_EQ(recodo::GuessSingleByteSet(a, 0).set, 18);

  // Russian after the window is not looked at.
  Bytes late(recodo::kGuessWindow, 'a');
  Bytes russian;
  ASSERT_TRUE(Encode(38, Cases()[0].text, &russian));
  late.insert(late.end(), russian.begin(), russian.end());
  EXPECT_EQ(recodo::GuessSingleByteSet(late.data(), late.size()).set, 18);
}

TEST(Guess, UndefinedBytesAndControlsRuleATableOut) {
  // Russian in DOS-866 fills 0x80..0x9F, which ISO-8859-5 and ISO-8859-1
  // read as C1 controls.
  Bytes bytes;
  ASSERT_TRUE(Encode(38, Cases()[0].text, &bytes));
  const int set = recodo::GuessSingleByteSet(bytes.data(), bytes.size()).set;
  EXPECT_NE(set, 4);
  EXPECT_NE(set, 0);
  // Bytes that only Windows-874 leaves undefined are not Thai.
  const Bytes odd = {'a', 0xDB, 'b', 0xDC, 'c', 0xDD, 'd', 0xDE, ' ', 0xFC, 0xFD};
  EXPECT_NE(recodo::GuessSingleByteSet(odd.data(), odd.size()).set, 15);
}

}  // namespace
