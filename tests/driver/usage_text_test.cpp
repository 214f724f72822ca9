#include "driver/usage_text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace recodo;

namespace {

std::vector<std::u16string> Lines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(u"\r\n", start)) != std::u16string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return lines;
}

TEST(UsageText, FiftyEightLinesWithVersionAndCharsets) {
  const std::vector<std::u16string> lines = Lines(BuildUsageText(u"1.2.3"));
  ASSERT_EQ(lines.size(), 58u);
  EXPECT_EQ(lines[0].rfind(u"Recodo \"1.2.3\"", 0), 0u);
  EXPECT_EQ(lines[0], BuildBannerLine(u"1.2.3"));
  EXPECT_EQ(lines[2], u"Usage: recodo <source file(s)> [flags]");
  EXPECT_EQ(lines[11], u"/nobom \t\tDo not write Byte Order Mark which will be written by default.");
  EXPECT_EQ(lines[17].rfind(u"/lossy\t\tWith /replace or /move, ", 0), 0u);
  EXPECT_EQ(lines[19].rfind(u"/keep-tree\t", 0), 0u);
  EXPECT_EQ(lines[21].rfind(u"/dialog\t\tOpen the conversion dialog", 0), 0u);
  EXPECT_EQ(lines[31].rfind(u"/guess\t\t", 0), 0u);
  EXPECT_EQ(lines[32].rfind(u"/guess-only\t", 0), 0u);
  EXPECT_EQ(lines[41], u"recodo *.xml /scs=ansi /dcs=utf-16 /xml /output=c:\\converted /move");
  EXPECT_EQ(lines[57], u"-1\t\tOut of memory");
  // The sets added since, on a line of their own after the first ones.
  EXPECT_EQ(lines[46], u"KOI8-R, KOI8-U, ISO-8859-16, Shift_JIS, EUC-JP, ISO-2022-JP, GBK, GB18030, Big5, EUC-KR, "
                       u"UTF-32, UTF-32BE");
  const std::u16string& sets = lines[45];
  EXPECT_EQ(sets.rfind(u"ISO-8859-1, ISO-8859-2, ", 0), 0u);
  EXPECT_NE(sets.find(u"MSMAC-TURKISH, Apple-CENTEURO, Apple-Roman, UTF-8, UTF-16, UTF-16BE"), std::u16string::npos);
  EXPECT_EQ(sets.find(u"Latin1"), std::u16string::npos) << "primary names only";
  EXPECT_NE(sets.find(u"ISO-8859-12, "), std::u16string::npos);
}

TEST(UsageText, ListsOneNamePerSingleByteSet) {
  const std::u16string list = PrimaryCharsetList();
  std::size_t commas = 0;
  for (std::size_t at = 0; (at = list.find(u", ", at)) != std::u16string::npos; at += 2) ++commas;
  EXPECT_EQ(commas, 49u);
  EXPECT_EQ(list.substr(list.size() - 2), u", ");
}

TEST(UsageText, LeavesOutTheShortAndPrivateSpellings) {
  const std::u16string text = BuildUsageText(u"");
  for (const char16_t* hidden : {u"/r\t", u"/private.ofp", u"/private.utt", u"table="})
    EXPECT_EQ(text.find(hidden), std::u16string::npos) << std::u16string(hidden).size();
  EXPECT_EQ(Lines(text)[0].rfind(u"Recodo \"\"", 0), 0u) << "a missing version leaves the quotes empty";
}

}  // namespace
