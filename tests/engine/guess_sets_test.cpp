// The guess of the sets added to the catalogue: texts written for these
// tests in each set's language, encoded into it and cut to 256 bytes and to
// 1 KiB, must be named by a set that reads them as the same characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/guess.h"
#include "recodo/recodo.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const char16_t kJapanese[] =
    u"文字コードの変換は、古いファイルを新しいシステムで読むために欠かせない作業です。日本では長い間、シフトJISとEUC-JP"
    u"が広く使われてきました。WindowsのパソコンではシフトJISが標準で、UNIXのサーバーではEUC-JPがよく使われていました。"
    u"電子メールでは、七ビットの経路を通すためにISO-2022-JPが使われました。今ではほとんどの文書がUTF-8で書かれていますが、"
    u"昔の文書や古い業務システムのデータには、今でも様々な文字コードが残っています。ファイルを開いたときに文字化けが起きたら、"
    u"まず文字コードを確かめてください。正しい文字コードが分かれば、内容を失わずに変換することができます。このプログラムは、"
    u"ファイルの先頭を読んで、どの文字コードで書かれているかを推測します。推測の確かさは百分率で示されます。確かさが低いときは、"
    u"利用者が自分で文字コードを指定することをお勧めします。変換の前には、大切なファイルの控えを取っておくと安心です。";

const char16_t kSimplifiedChinese[] =
    u"字符编码的转换是处理旧文件时必不可少的工作。在中国大陆，长期以来人们使用GB2312和GBK编码保存中文文本，后来又制定了"
    u"GB18030标准，以便容纳更多的汉字和少数民族文字。许多政府机关和企业的旧系统中仍然保存着大量使用这些编码的文件。如果用"
    u"错误的编码打开这些文件，屏幕上就会出现一堆乱码，让人无法阅读。本程序会读取文件的开头部分，根据字节的组合方式和常用汉字"
    u"的出现频率，推测文件使用的是哪一种编码，并给出一个可信度。可信度越高，说明推测越可靠。当可信度较低时，建议用户自己指定"
    u"源文件的编码，以免转换后的内容出现错误。在转换重要文件之前，最好先做好备份，这样即使出现问题也可以随时恢复原来的文件。";

const char16_t kTraditionalChinese[] =
    u"字元編碼的轉換是處理舊檔案時不可缺少的工作。在台灣和香港，長期以來人們使用大五碼保存中文文字，許多政府機關、學校和公司"
    u"的舊系統中仍然保存著大量使用這種編碼的檔案。如果用錯誤的編碼開啟這些檔案，螢幕上就會出現一堆亂碼，讓人無法閱讀。本程式"
    u"會讀取檔案的開頭部分，根據位元組的組合方式和常用漢字的出現頻率，推測檔案使用的是哪一種編碼，並給出一個可信度。可信度越"
    u"高，表示推測越可靠。當可信度較低時，建議使用者自己指定來源檔案的編碼，以免轉換後的內容出現錯誤。在轉換重要檔案之前，"
    u"最好先做好備份，這樣即使發生問題也可以隨時恢復原來的檔案。";

const char16_t kKorean[] =
    u"문자 인코딩 변환은 오래된 파일을 다룰 때 꼭 필요한 작업입니다. 한국에서는 오랫동안 EUC-KR 인코딩으로 한글 문서를 "
    u"저장해 왔으며, 많은 관공서와 학교, 회사의 오래된 시스템에는 아직도 이 인코딩으로 저장된 파일이 많이 남아 있습니다. "
    u"잘못된 인코딩으로 이런 파일을 열면 화면에 알아볼 수 없는 글자가 가득 나타납니다. 이 프로그램은 파일의 앞부분을 읽고, "
    u"바이트가 짝을 이루는 방식과 자주 쓰이는 글자의 빈도를 바탕으로 파일이 어떤 인코딩으로 쓰였는지 추측하고, 그 추측이 "
    u"얼마나 확실한지 알려 줍니다. 확실성이 낮을 때에는 사용자가 직접 원본 파일의 인코딩을 지정하는 것이 좋습니다. 중요한 "
    u"파일을 변환하기 전에는 미리 복사본을 만들어 두면 문제가 생겨도 언제든지 원래 파일로 되돌릴 수 있습니다.";

const char16_t kRussian[] =
    u"Перекодирование текстовых файлов остаётся важной задачей для многих пользователей. В России долгое время "
    u"использовались сразу несколько кодировок: в системах UNIX была распространена КОИ-8, в Windows - кодовая страница "
    u"1251, а в старых программах для DOS - кодовая страница 866. Если открыть файл в неправильной кодировке, вместо букв "
    u"на экране появятся непонятные знаки. Эта программа читает начало файла, сравнивает сочетания букв с моделями языков "
    u"и предлагает наиболее вероятную кодировку вместе с оценкой уверенности. Когда уверенность невелика, лучше указать "
    u"кодировку исходного файла самостоятельно. Перед преобразованием важных документов рекомендуется сделать резервную "
    u"копию, чтобы при ошибке можно было вернуть исходный файл.";

const char16_t kUkrainian[] =
    u"Перекодування текстових файлів залишається важливим завданням для багатьох користувачів. В Україні довгий час "
    u"використовували кілька кодувань одночасно: у системах UNIX було поширене КОІ-8У, у Windows - кодова сторінка 1251, а "
    u"в старих програмах для DOS - кодова сторінка 866. Якщо відкрити файл у неправильному кодуванні, замість літер на "
    u"екрані з'являться незрозумілі знаки. Ця програма читає початок файлу, порівнює сполучення літер із моделями мов і "
    u"пропонує найімовірніше кодування разом з оцінкою впевненості. Коли впевненість невелика, краще самостійно вказати "
    u"кодування вихідного файлу. Перед перетворенням важливих документів варто зробити резервну копію, щоб у разі помилки "
    u"можна було повернути початковий файл.";

const char16_t kRomanian[] =
    u"Conversia fișierelor text dintre diferite seturi de caractere rămâne o sarcină importantă pentru mulți utilizatori. "
    u"În România s-au folosit multă vreme mai multe codificări: în sistemele Windows pagina de cod 1250, iar în standardele "
    u"internaționale setul ISO-8859-2 și, mai târziu, ISO-8859-16, care conține literele ș și ț cu virgulă dedesubt. Dacă "
    u"un fișier este deschis cu o codificare greșită, în locul literelor apar semne de neînțeles. Acest program citește "
    u"începutul fișierului, compară perechile de litere cu modelele limbilor și propune codificarea cea mai probabilă, "
    u"împreună cu o estimare a încrederii. Când încrederea este mică, este mai bine ca utilizatorul să indice singur "
    u"codificarea fișierului sursă. Înainte de a converti documente importante, este recomandat să faceți o copie.";

const char16_t kPolish[] =
    u"Konwersja plików tekstowych między różnymi zestawami znaków pozostaje ważnym zadaniem dla wielu użytkowników. "
    u"W Polsce przez długi czas używano kilku kodowań jednocześnie: w systemach Windows strony kodowej 1250, a w normach "
    u"międzynarodowych zestawu ISO-8859-2. Jeżeli plik zostanie otwarty w niewłaściwym kodowaniu, zamiast liter pojawią "
    u"się niezrozumiałe znaki. Ten program czyta początek pliku, porównuje pary liter z modelami języków i proponuje "
    u"najbardziej prawdopodobne kodowanie wraz z oceną pewności. Gdy pewność jest niska, lepiej samodzielnie wskazać "
    u"kodowanie pliku źródłowego. Przed konwersją ważnych dokumentów warto zrobić kopię zapasową, aby w razie błędu "
    u"można było przywrócić pierwotny plik.";

Bytes Encode(int set, std::u16string_view text) {
  std::uint32_t size = 0;
  const auto* units = reinterpret_cast<const uint16_t*>(text.data());
  const auto length = static_cast<std::uint32_t>(text.size() * 2);
  ConvertDoubleByteToMultiByte(set, units, length, nullptr, &size);
  Bytes out(size);
  EXPECT_EQ(ConvertDoubleByteToMultiByte(set, units, length, out.data(), &size), RECODO_CONV_OK) << "set " << set;
  out.resize(size);
  return out;
}

std::u16string Decode(int set, const Bytes& bytes) {
  if (set == 101) return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  std::uint32_t size = 0;
  ConvertMultiByteToDoubleByte(set, bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr, &size);
  std::u16string out(size / 2, u'\0');
  ConvertMultiByteToDoubleByte(set, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                               reinterpret_cast<uint16_t*>(out.data()), &size);
  out.resize(size / 2);
  return out;
}

// The longest start of the text that encodes into at most `size` bytes:
// whole characters, and an ISO-2022-JP text back in ASCII at its end.
Bytes Cut(int set, std::u16string_view text, std::size_t size) {
  std::size_t low = 0, high = text.size();
  while (low < high) {
    const std::size_t mid = (low + high + 1) / 2;
    if (Encode(set, text.substr(0, mid)).size() <= size) low = mid;
    else high = mid - 1;
  }
  return Encode(set, text.substr(0, low));
}

struct Case {
  int set;
  const char16_t* text;
  const char* language;  // the tag the guess names, "" for none
};

class AddedSetGuess : public testing::TestWithParam<Case> {};

TEST_P(AddedSetGuess, NamesASetThatReadsTheSameCharacters) {
  const Case c = GetParam();
  const std::u16string text = std::u16string(c.text) + u"\n" + c.text;
  for (const std::size_t size : {256u, 1024u}) {
    const Bytes sample = Cut(c.set, text, size);
    ASSERT_GT(sample.size(), size - 8) << "the text is long enough for the cut";
    ASSERT_EQ(Decode(c.set, sample), Decode(c.set, Encode(c.set, Decode(c.set, sample)))) << "a whole cut";
    int32_t confidence = -1;
    const int32_t guess = GuessCharacterSet(sample.data(), static_cast<std::uint32_t>(sample.size()), &confidence);
    EXPECT_EQ(Decode(guess, sample), Decode(c.set, sample)) << "set " << c.set << " read as " << guess << " at "
                                                           << size << " bytes";
    EXPECT_GE(confidence, recodo::kHighGuessConfidence) << "set " << c.set << " at " << size << " bytes";
    const recodo::CharsetGuess g = recodo::GuessSet(sample.data(), sample.size());
    EXPECT_STREQ(recodo::GuessLanguageTag(g.language), c.language) << "set " << c.set;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryAddedSet, AddedSetGuess,
    testing::Values(Case{120, kJapanese, "ja"}, Case{121, kJapanese, "ja"}, Case{122, kJapanese, "ja"},
                    Case{123, kSimplifiedChinese, "zh-Hans"}, Case{124, kSimplifiedChinese, "zh-Hans"},
                    Case{125, kTraditionalChinese, "zh-Hant"}, Case{126, kKorean, "ko"}, Case{110, kRussian, "ru"},
                    Case{111, kUkrainian, "uk"}, Case{112, kPolish, "pl"}, Case{103, kKorean, ""},
                    Case{104, kRussian, ""}, Case{103, kRomanian, ""}),
    [](const testing::TestParamInfo<Case>& info) { return "Set" + std::to_string(info.param.set) + "_" +
                                                          std::to_string(info.index); });

}  // namespace

namespace {

// Text of two scripts: Chinese with Russian quoted in it in GB18030, which
// GBK reads alike; Japanese among English words and file names; English
// with a few curly quotes and a degree sign in GB18030.
TEST(AddedSetGuess, MixedScriptsReadAsTheirSet) {
  const std::u16string chinese = std::u16string(kSimplifiedChinese).substr(0, 120) +
                                 u"俄语的“Перекодирование текстовых файлов”意思是文本文件的转换。";
  const std::u16string japanese = u"README.txt の文字コードは Shift_JIS です。make install を実行する前に、"
                                  u"config.h の設定を確認してください。Linux では UTF-8 が使われます。";
  const std::u16string english = u"Rotate the layer by 15° with “Rotate” in the “Layer” menu, then save it.";
  for (const auto& [set, text] : {std::pair{124, chinese}, std::pair{120, japanese}, std::pair{124, english}}) {
    const Bytes bytes = Encode(set, text);
    int32_t confidence = -1;
    const int32_t guess = GuessCharacterSet(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &confidence);
    EXPECT_EQ(Decode(guess, bytes), Decode(set, bytes)) << "set " << set << " read as " << guess;
  }
}

// ISO-8859-16 writes Romanian's s and t with a comma below, Windows-1250 and
// ISO-8859-2 with a cedilla, at the same bytes: the two read alike but for
// that. The far more common set is named, and without confidence.
TEST(AddedSetGuess, RomanianInIso8859_16ReadsAsWindows1250WithLittleConfidence) {
  for (const std::size_t size : {256u, 1024u}) {
    const Bytes sample = Cut(112, kRomanian, size);
    int32_t confidence = -1;
    EXPECT_EQ(GuessCharacterSet(sample.data(), static_cast<std::uint32_t>(sample.size()), &confidence), 16);
    EXPECT_LT(confidence, recodo::kHighGuessConfidence);
  }
}

TEST(GuessCharacterSetExport, ReadsABufferAsAConversionWithTheGuessReadsAFile) {
  int32_t confidence = -1;
  EXPECT_EQ(GuessCharacterSet(nullptr, 5, &confidence), 49) << "missing bytes";
  EXPECT_EQ(confidence, 0);
  EXPECT_EQ(GuessCharacterSet(nullptr, 0, &confidence), 0) << "an empty text, as detection answers";
  EXPECT_EQ(confidence, 100);
  const std::uint8_t ascii[] = {'p', 'l', 'a', 'i', 'n'};
  EXPECT_EQ(GuessCharacterSet(ascii, sizeof ascii, nullptr), 0) << "no confidence asked for";
  const std::uint8_t marked[] = {0xEF, 0xBB, 0xBF, 'a'};
  EXPECT_EQ(GuessCharacterSet(marked, sizeof marked, &confidence), 100);
  EXPECT_EQ(confidence, 100);
  const std::uint8_t zero[] = {'a', 'b', 'c', 0, 'd', 'e'};
  EXPECT_EQ(GuessCharacterSet(zero, sizeof zero, &confidence), 49) << "not text";
  EXPECT_EQ(confidence, 0);
  // Only the window counts: a text far longer answers as its start.
  const Bytes cyrillic = Encode(17, u"Привет, как дела? Это проверка текста, в котором много букв. ");
  Bytes longer;
  while (longer.size() < 200 * 1024) longer.insert(longer.end(), cyrillic.begin(), cyrillic.end());
  EXPECT_EQ(GuessCharacterSet(longer.data(), static_cast<std::uint32_t>(longer.size()), &confidence), 17);
  EXPECT_GE(confidence, 90);
}

}  // namespace
