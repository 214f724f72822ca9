// Reading the user translation table, whatever its file holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "security/user_translation_table.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

class TranslationTable : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() / ("recodo-table-" + std::to_string(std::random_device{}()) + ".csv");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }
  Rows Load(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary) << bytes;
    CUserTranslationTable table(path_.u16string().c_str(), nullptr);
    Rows rows;
    for (std::uint32_t i = 0; i < table.rowCount; ++i) rows.emplace_back(table.prefixes[i], table.accounts[i]);
    if (table.prefixes != nullptr) {
      EXPECT_EQ(table.prefixes[table.rowCount], nullptr);
    }
    return rows;
  }
  fs::path path_;
};

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(TranslationTable, FieldsAndLines) {
  EXPECT_EQ(Load("alice\nbob"), (Rows{{u"alice", u"alice"}, {u"bob", u"bob"}}));
  EXPECT_EQ(Load("abc;def\r\nabc,def;ghi\rabc;\nabc ; def\n"),
            (Rows{{u"abc", u"def"}, {u"abc", u"ghi"}, {u"abc", u""}, {u"abc ", u" def"}}));
  EXPECT_EQ(Load("p\tq\n"), (Rows{{u"p", u"q"}}));  // a trailing break adds no row
  EXPECT_EQ(Load("alice;asmith\n\nbob;bjones\n"), (Rows{{u"alice", u"asmith"}}));  // an empty line ends it
  EXPECT_EQ(Load(";x\nbob;b"), Rows{});
  EXPECT_EQ(Load("p01;a\np01;b"), (Rows{{u"p01", u"a"}, {u"p01", u"b"}}));  // duplicates kept in order
  EXPECT_EQ(Load(""), Rows{});
}

TEST_F(TranslationTable, Encodings) {
  const Rows expected{{u"jörg", u"jmüller"}, {u"p2", u"x"}};
  EXPECT_EQ(Load("j\xC3\xB6rg;jm\xC3\xBCller\np2;x"), expected);
  EXPECT_EQ(Load(Utf16(u"jörg;jmüller\r\np2;x", false)), expected);
  EXPECT_EQ(Load(Utf16(u"jörg;jmüller\r\np2;x", true)), expected);
  // A UTF-8 mark stays in the first prefix.
  EXPECT_EQ(Load("\xEF\xBB\xBFp1;a\np2;b"), (Rows{{u"\xFEFFp1", u"a"}, {u"p2", u"b"}}));
  // Windows-1252 letters are no UTF-8.
  EXPECT_EQ(Load("j\xF6rg;x"), (Rows{{u"j\xFFFDrg", u"x"}}));
  // UTF-16 without a mark is taken for what it is, in either order, as
  // detection takes it: else its first zero would end the text.
  EXPECT_EQ(Load(std::string("a\0b\0;\0c\0", 8)), (Rows{{u"ab", u"c"}}));
  EXPECT_EQ(Load(std::string("\0a\0b\0;\0c", 8)), (Rows{{u"ab", u"c"}}));
}

TEST(TranslationTableLines, CountLines) {
  EXPECT_EQ(CUserTranslationTable::CountLines(u""), 0u);
  EXPECT_EQ(CUserTranslationTable::CountLines(u"a"), 1u);
  EXPECT_EQ(CUserTranslationTable::CountLines(u"a\n"), 1u);
  EXPECT_EQ(CUserTranslationTable::CountLines(u"a\nb"), 2u);
  EXPECT_EQ(CUserTranslationTable::CountLines(u"\n\n"), 2u);
}

}  // namespace
}  // namespace recodo
