// The sets added since the first ones, used as people use them: a Japanese
// file to UTF-8 and back, a Korean page with its declaration, a Russian Unix
// file replaced in place, UTF-32 known by its mark, and each set's name in
// destination names and the lines.
#include "program_fixture.h"

namespace recodo::test {
namespace {

// "Japanese text" and a line break, in Shift_JIS.
const std::string kShiftJis = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83\x67\r\n";
const std::string kUtf8 = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x86\xe3\x82\xad\xe3\x82\xb9\xe3\x83\x88\r\n";

TEST_F(ProgramTest, AShiftJisFileGoesToUtf8AndBackByteForByte) {
  Write(dir_ / "notes.txt", kShiftJis);
  ProgramRun run = Run({"notes.txt", "/scs=sjis"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Source character set: \"Shift_JIS\" (Internal code 120)\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "notes.utf-8.txt"), kUtf8Mark + kUtf8);

  run = Run({"notes.utf-8.txt", "/dcs=Shift_JIS"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Destination character set: \"Shift_JIS\" (Internal code 120)\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "notes.utf-8.Shift_JIS.txt"), kShiftJis);
}

TEST_F(ProgramTest, AKoreanPageGetsItsNewDeclaration) {
  // "Korean" in EUC-KR, in a page that says so.
  const std::string page = "<html><head><meta charset=\"euc-kr\"></head><body>\xc7\xd1\xb1\xb9\xbe\xee</body></html>";
  Write(dir_ / "page.html", page);
  const ProgramRun run = Run({"page.html", "/scs=cp949", "/html", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "page.utf-8.html"),
            "<html><head><meta charset=\"utf-8\"></head><body>\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4</body></html>");
  // And back, the declaration naming the set.
  EXPECT_EQ(Run({"page.utf-8.html", "/dcs=euc-kr", "/html", "/output=back.html"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "back.html"),
            "<html><head><meta charset=\"EUC-KR\"></head><body>\xc7\xd1\xb1\xb9\xbe\xee</body></html>");
}

TEST_F(ProgramTest, AKoi8FileIsReplacedInPlaceWhenNothingIsLost) {
  // "Privet" in KOI8-R.
  Write(dir_ / "ru.txt", "\xf0\xd2\xc9\xd7\xc5\xd4\n");
  ProgramRun run = Run({"ru.txt", "/scs=koi8r", "/replace", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "ru.txt"), "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82\n");
  // Ukrainian into a set that lacks its letter i: the source is kept
  // without /lossy.
  Write(dir_ / "uk.txt", "\xf0\xd2\xc9\xd7\xa6\xd4\n");
  run = Run({"uk.txt", "/scs=KOI8-U", "/dcs=Shift_JIS", "/replace"});
  EXPECT_NE(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("1 characters of \"uk.txt\""), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "uk.txt"), "\xf0\xd2\xc9\xd7\xa6\xd4\n");
}

TEST_F(ProgramTest, Utf32IsKnownByItsMarkAndWrittenWithOne) {
  Write(dir_ / "wide.txt", std::string("\xff\xfe\x00\x00" "A\x00\x00\x00\x00\xf6\x01\x00", 12));
  ProgramRun run = Run({"wide.txt", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "wide.utf-8.txt"), "A\xf0\x9f\x98\x80");
  run = Run({"wide.utf-8.txt", "/dcs=utf-32be", "/output=big.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "big.txt"), std::string("\x00\x00\xfe\xff\x00\x00\x00" "A\x00\x01\xf6\x00", 12));
}

TEST_F(ProgramTest, Iso2022JpFilesEndInAscii) {
  Write(dir_ / "mail.txt", kUtf8);
  const ProgramRun run = Run({"mail.txt", "/scs=utf-8", "/dcs=csISO2022JP"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "mail.ISO-2022-JP.txt"),
            "\x1b$BF|K\\8l$N%F%-%9%H\x1b(B\r\n");
}

TEST_F(ProgramTest, AReplacementCharacterOfTheTextIsALossWhereItBecomesAQuestionMark) {
  // U+FFFD written by the text's author, not by a decoder: Shift_JIS lacks it.
  Write(dir_ / "f.txt", "a\xef\xbf\xbd" "b\n");
  ProgramRun run = Run({"f.txt", "/scs=utf-8", "/dcs=shift_jis", "/replace"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("1 characters of \"f.txt\""), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "f.txt"), "a\xef\xbf\xbd" "b\n");
  // A malformed byte and its U+FFFD are one loss, not two.
  Write(dir_ / "g.txt", "a\xff" "b\n");
  run = Run({"g.txt", "/scs=utf-8", "/dcs=big5"});
  EXPECT_NE(run.output.find("Warning: 1 characters of \"g.txt\""), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "g.Big5.txt"), "a?b\n");
}

TEST_F(ProgramTest, AFileThatIsOnlyAByteOrderMarkStaysEmptyText) {
  Write(dir_ / "le.txt", "\xff\xfe");
  Write(dir_ / "be.txt", "\xfe\xff");
  ProgramRun run = Run({"le.txt", "/replace"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "le.txt"), kUtf8Mark);
  run = Run({"be.txt", "/replace", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "be.txt"), "");
}

}  // namespace
}  // namespace recodo::test
