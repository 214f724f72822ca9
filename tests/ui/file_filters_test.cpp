// The picker filters from filters.txt, checked on the bytes of the buffer,
// and the destination proposal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "ui/charset_list.h"
#include "ui/file_filters.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;

class FileFilters : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() / ("recodo-filters-" + std::to_string(std::random_device{}()) + ".txt");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  // The whole buffer up to and including its two closing NULs.
  std::u16string Filters(const std::string& bytes, bool write = true) {
    if (write) std::ofstream(path_, std::ios::binary) << bytes;
    char16_t buffer[kFilterBufferUnits];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    BuildFilterBuffer(buffer, path_.u16string().c_str());
    const std::u16string_view all(buffer, kFilterBufferUnits);
    const std::u16string_view last(u"All files\0*.*\0\0", 15);
    const std::size_t at = all.find(last);
    EXPECT_NE(at, std::u16string_view::npos);
    return std::u16string(all.substr(0, at == std::u16string_view::npos ? 0 : at + last.size()));
  }
  fs::path path_;
};

std::u16string Fields(std::initializer_list<std::u16string_view> fields) {
  std::u16string out;
  for (auto field : fields) {
    out += field;
    out += u'\0';
  }
  return out + u'\0';
}

TEST_F(FileFilters, WhatTheFileSays) {
  EXPECT_EQ(Filters("", false), Fields({u"All files", u"*.*"}));  // no file at all
  EXPECT_EQ(Filters("Text files|*.txt|"), Fields({u"Text files", u"*.txt", u"All files", u"*.*"}));
  EXPECT_EQ(Filters("Text files\r\n*.txt\r\n"), Fields({u"Text files", u"*.txt", u"All files", u"*.*"}));
  EXPECT_EQ(Filters("Text files\r*.txt\n"), Fields({u"Text files", u"*.txt", u"All files", u"*.*"}));
  // Without a closing separator the last field runs into the appended one.
  EXPECT_EQ(Filters("Text|*.txt"), Fields({u"Text", u"*.txtAll files", u"*.*"}));
  // An empty line is an empty field.
  EXPECT_EQ(Filters("A\n\n*.a|"), Fields({u"A", u"", u"*.a", u"All files", u"*.*"}));
}

TEST_F(FileFilters, EveryEncodingGivesTheSameFilters) {
  const std::u16string expected = Fields({u"Données", u"*.dat", u"All files", u"*.*"});
  EXPECT_EQ(Filters("Donn\xC3\xA9" "es|*.dat|"), expected);  // UTF-8
  EXPECT_EQ(Filters("Donn\xE9" "es|*.dat|"), expected);      // Windows-1252
  std::string le, be;
  for (char16_t c : std::u16string(u"Données|*.dat|")) {
    le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  EXPECT_EQ(Filters("\xFF\xFE" + le), u'\xFEFF' + expected);  // the mark stays in the first field
  EXPECT_EQ(Filters("\xFE\xFF" + be), u'\xFEFF' + expected);
  EXPECT_EQ(Filters("\xEF\xBB\xBF" "Donn\xC3\xA9" "es|*.dat|"), u'\xFEFF' + expected);
}

TEST_F(FileFilters, OversizedFilesNeverOverrunTheBuffer) {
  for (const std::string& unit : {std::string("a"), std::string("\xC3\xA9"), std::string("\xE2\x82\xAC")}) {
    std::string big;
    while (big.size() < 200 * 1024) big += unit;
    const std::u16string filters = Filters(big);
    ASSERT_EQ(filters.size(), kFilterBufferUnits);  // cut to fit, with "All files", "*.*" and the NULs
    EXPECT_EQ(filters.substr(filters.size() - 15), Fields({u"All files", u"*.*"}));
  }
}

TEST(DestinationProposal, DotTwoBeforeTheExtension) {
  char16_t out[platform::kPathCapacity];
#if defined(_WIN32)
  ProposeDestination(u"C:\\data\\notes.txt", out);
  EXPECT_EQ(std::u16string(out), u"C:\\data\\notes.2.txt");
  ProposeDestination(u"C:\\data\\README", out);
  EXPECT_EQ(std::u16string(out), u"C:\\data\\README.2");
#else
  ProposeDestination(u"/data/notes.txt", out);
  EXPECT_EQ(std::u16string(out), u"/data/notes.2.txt");
  ProposeDestination(u"/data.d/README", out);
  EXPECT_EQ(std::u16string(out), u"/data.d/README.2");
#endif
  // A path that would not fit, and a long extension, give no proposal.
  const std::u16string longPath(platform::kPathCapacity - 3, u'a');
  ProposeDestination((longPath + u".t").c_str(), out);
  EXPECT_EQ(out[0], u'\0');
  ProposeDestination((u"x." + std::u16string(64, u'e')).c_str(), out);
  EXPECT_EQ(out[0], u'\0');
}

TEST(CharsetList, FiftyTwoEntriesThenTheAddedSetsAndTheirNames) {
  const auto entries = CharsetListEntries();
  ASSERT_EQ(entries.size(), 64u);
  EXPECT_EQ(entries[52], u"KOI8-R (Cyrillic, Russian)");
  EXPECT_EQ(EntryName(entries[55]), u"Shift_JIS");
  EXPECT_EQ(EntryName(entries[63]), u"UTF-32BE");
  EXPECT_EQ(entries[0], u"ISO-8859-1 (Latin-1, West European)");
  EXPECT_EQ(entries[11], u"ISO-8859-12");
  EXPECT_EQ(entries[51], u"UTF-16BE (Unicode Transformation 16 Bits, Big Endian)");
  EXPECT_EQ(EntryName(entries[51]), u"UTF-16BE");
  EXPECT_EQ(EntryName(entries[11]), u"ISO-8859-12");
  for (const auto& entry : entries) EXPECT_LE(entry.size(), 63u);
}

}  // namespace
}  // namespace recodo
