#include <gtest/gtest.h>

#include <string>

#include "engine/catalogue.h"
#include "engine/codepage_tables.generated.h"

using namespace recodo;

namespace {

std::u16string Name(const char16_t* s) { return s ? std::u16string(s) : u"<null>"; }

struct Lookup {
  bool known;
  CharsetCode code;
  std::u16string spelling;
};

Lookup Find(const char16_t* typed) {
  CharsetCode code = -77;
  const char16_t* name = typed;
  const bool known = GetCharacterSetCode(&code, &name);
  if (!known) {
    EXPECT_EQ(code, -77) << "code touched for an unknown name";
    EXPECT_EQ(name, typed) << "name touched for an unknown name";
  }
  return {known, code, Name(name)};
}

TEST(Catalogue, TableShapeHoldsItsInvariants) {
  int rows = 0;
  int primaries = 0;
  CharsetCode previous = -1;
  for (const CharsetNameEntry* row = CharsetNameTable; row->name[0] != 0; ++row, ++rows) {
    if (row->code != previous) {
      ASSERT_EQ(row->code, previous + 1) << "groups follow in code order with no gap";
      ASSERT_EQ(row->primary, 1) << "each group begins with its primary row";
      previous = row->code;
      ++primaries;
    } else {
      ASSERT_EQ(row->primary, 0);
      ASSERT_EQ(row->description[0], 0) << "aliases have no description";
    }
  }
  EXPECT_EQ(rows, 158);
  EXPECT_EQ(primaries, 49);
  EXPECT_EQ(previous, 48);
  const CharsetNameEntry& end = CharsetNameTable[158];
  EXPECT_EQ(end.name[0], 0);
  EXPECT_EQ(end.code, 0);
  EXPECT_EQ(end.primary, 0);
}

TEST(Catalogue, NamesAreUniqueIgnoringCaseExceptCp874) {
  auto fold = [](const char16_t* s) {
    std::u16string out;
    for (; *s; ++s) out += (*s >= u'A' && *s <= u'Z') ? char16_t(*s + 32) : *s;
    return out;
  };
  for (int i = 0; i < 158; ++i)
    for (int j = i + 1; j < 158; ++j)
      if (fold(CharsetNameTable[i].name) == fold(CharsetNameTable[j].name)) {
        EXPECT_EQ(Name(CharsetNameTable[i].name), u"CP874") << i << " " << j;
      }
}

TEST(Catalogue, NameLookupsAnswerAsTheUserTyped) {
  EXPECT_EQ(Name(GetCharacterSetName(18)), u"Windows-1252");
  EXPECT_EQ(Name(GetCharacterSetName(47)), u"Apple-CENTEURO");
  EXPECT_EQ(Name(GetCharacterSetName(0)), u"ISO-8859-1");
  EXPECT_EQ(Name(GetCharacterSetName(100)), u"utf-8");
  EXPECT_EQ(Name(GetCharacterSetName(101)), u"utf-16");
  EXPECT_EQ(Name(GetCharacterSetName(102)), u"utf-16be");
  EXPECT_EQ(Name(GetCharacterSetName(103)), u"UTF-32");
  EXPECT_EQ(Name(GetCharacterSetName(110)), u"KOI8-R");
  EXPECT_EQ(Name(GetCharacterSetName(120)), u"Shift_JIS");
  EXPECT_EQ(Name(GetCharacterSetName(126)), u"EUC-KR");
  for (CharsetCode none : {49, -1, 50, 99, 105, 109, 113, 119, 127, 1000})
    EXPECT_EQ(GetCharacterSetName(none), nullptr) << none;
}

TEST(Catalogue, CodeLookupReturnsTheCatalogueSpellingOfWhatMatched) {
  struct Case {
    const char16_t* typed;
    CharsetCode code;
    const char16_t* spelling;
  } cases[] = {
      {u"LATIN1", 0, u"Latin1"},     {u"ansi", 18, u"Ansi"},           {u"cp1252", 18, u"CP1252"},
      {u"CP874", 15, u"CP874"},      {u"cp874", 15, u"CP874"},         {u"874", 40, u"874"},
      {u"DOS 874", 40, u"DOS 874"},  {u"dos-874", 40, u"DOS-874"},     {u"UTF8", 100, u"utf-8"},
      {u"Utf 8", 100, u"utf-8"},     {u"utf-8", 100, u"utf-8"},        {u"UTF-16BE", 102, u"utf-16be"},
      {u"utf16", 101, u"utf-16"},    {u"UTF 16BE", 102, u"utf-16be"},  {u"centeuro", 47, u"CENTEURO"},
      {u"iso 8859-15", 14, u"ISO 8859-15"}, {u"apple-roman", 48, u"Apple-Roman"},
      // The sets added since answer with their primary names.
      {u"SJIS", 120, u"Shift_JIS"},  {u"windows-31j", 120, u"Shift_JIS"}, {u"gb2312", 123, u"GBK"},
      {u"UHC", 126, u"EUC-KR"},      {u"utf-32le", 103, u"UTF-32"},     {u"koi8r", 110, u"KOI8-R"},
      {u"Latin10", 112, u"ISO-8859-16"}, {u"csISO2022JP", 122, u"ISO-2022-JP"}, {u"cp950", 125, u"Big5"},
  };
  for (const Case& c : cases) {
    const Lookup found = Find(c.typed);
    EXPECT_TRUE(found.known) << std::string(c.typed, c.typed + std::char_traits<char16_t>::length(c.typed));
    EXPECT_EQ(found.code, c.code);
    EXPECT_EQ(found.spelling, c.spelling);
  }
}

TEST(Catalogue, UnknownNamesLeaveBothOutputsUntouched) {
  for (const char16_t* typed : {u"utf-16le", u"utf_8", u"ISO-8859-17", u" ISO-8859-1", u"", u"ISO-8859-1 ",
                                u"Windows", u"utf-8x", u"\u00c4nsi", u"Shift_JIS ", u"utf-32x", u"gb"})
    EXPECT_FALSE(Find(typed).known);
}

TEST(Catalogue, EveryPrimaryNameRoundTrips) {
  for (CharsetCode code = 0; code < 49; ++code) {
    const char16_t* name = GetCharacterSetName(code);
    ASSERT_NE(name, nullptr);
    const Lookup found = Find(name);
    EXPECT_TRUE(found.known);
    EXPECT_EQ(found.code, code);
    EXPECT_EQ(found.spelling, Name(name));
  }
}

}  // namespace
