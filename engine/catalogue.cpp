#include "catalogue.h"

#include "base/ascii_case.h"
#include "engine/engine.h"

namespace recodo {
namespace {

// Whole-string comparison that folds A..Z only; no trimming, no prefixes.
bool EqualsIgnoringAsciiCase(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
    if (*a == 0) return true;
  }
}

struct FixedName {
  const char16_t* spellings[3];
  CharsetCode code;
  const char16_t* canonical;
};

constexpr FixedName kUnicodeNames[] = {
    {{u"utf 8", u"utf-8", u"utf8"}, CharsetUtf8, u"utf-8"},
    {{u"utf 16", u"utf-16", u"utf16"}, CharsetUtf16, u"utf-16"},
    {{u"utf-16be", u"utf 16be", u"utf16be"}, CharsetUtf16BE, u"utf-16be"},
};

// The sets added since the first ones, under the names XML and HTML
// declarations use, in the order lists show them.
struct AddedSet {
  CharsetCode code;
  const char16_t* name;
  const char16_t* description;
  const char16_t* aliases[6];
};

constexpr AddedSet kAddedSets[] = {
    {CharsetKoi8R, u"KOI8-R", u"Cyrillic, Russian", {u"koi8r", u"cp20866", u"koi8"}},
    {CharsetKoi8U, u"KOI8-U", u"Cyrillic, Ukrainian", {u"koi8u", u"cp21866"}},
    {CharsetIso8859_16, u"ISO-8859-16", u"Latin-10, South-East European", {u"latin10", u"Latin-10", u"ISO 8859-16"}},
    {CharsetShiftJis, u"Shift_JIS", u"Japanese", {u"sjis", u"cp932", u"windows-31j", u"ms_kanji", u"shift-jis"}},
    {CharsetEucJp, u"EUC-JP", u"Japanese", {u"eucjp", u"euc_jp"}},
    {CharsetIso2022Jp, u"ISO-2022-JP", u"Japanese, mail", {u"csiso2022jp", u"iso2022jp"}},
    {CharsetGbk, u"GBK", u"Chinese Simplified", {u"cp936", u"windows-936", u"gb2312"}},
    {CharsetGb18030, u"GB18030", u"Chinese Simplified, all of Unicode", {u"gb-18030"}},
    {CharsetBig5, u"Big5", u"Chinese Traditional", {u"cp950", u"windows-950", u"big-5"}},
    {CharsetEucKr, u"EUC-KR", u"Korean", {u"cp949", u"windows-949", u"uhc", u"euckr"}},
    {CharsetUtf32, u"UTF-32", u"Unicode, little endian", {u"utf-32le", u"utf32", u"utf32le"}},
    {CharsetUtf32BE, u"UTF-32BE", u"Unicode, big endian", {u"utf32be"}},
};

}  // namespace

const char16_t* GetCharacterSetName(CharsetCode code) {
  for (const FixedName& fixed : kUnicodeNames)
    if (fixed.code == code) return fixed.canonical;
  for (const CharsetNameEntry* row = CharsetNameTable; row->name[0] != 0; ++row)
    if (row->code == code) return row->name;
  for (const AddedSet& set : kAddedSets)
    if (set.code == code) return set.name;
  return nullptr;
}

bool GetCharacterSetCode(CharsetCode* codeOut, const char16_t** nameInOut) {
  const char16_t* name = *nameInOut;
  for (const FixedName& fixed : kUnicodeNames) {
    for (const char16_t* spelling : fixed.spellings) {
      if (EqualsIgnoringAsciiCase(name, spelling)) {
        *codeOut = fixed.code;
        *nameInOut = fixed.canonical;
        return true;
      }
    }
  }
  for (const CharsetNameEntry* row = CharsetNameTable; row->name[0] != 0; ++row) {
    if (EqualsIgnoringAsciiCase(name, row->name)) {
      *codeOut = row->code;
      *nameInOut = row->name;
      return true;
    }
  }
  for (const AddedSet& set : kAddedSets) {
    bool known = EqualsIgnoringAsciiCase(name, set.name);
    for (const char16_t* alias : set.aliases) known = known || (alias != nullptr && EqualsIgnoringAsciiCase(name, alias));
    if (known) {
      *codeOut = set.code;
      *nameInOut = set.name;
      return true;
    }
  }
  return false;
}

namespace engine {

const char16_t* SetName(CharsetCode code) { return GetCharacterSetName(code); }

bool FindSet(const char16_t** nameInOut, CharsetCode* code) { return GetCharacterSetCode(code, nameInOut); }

std::vector<NamedSet> SingleByteSets() {
  std::vector<NamedSet> sets;
  for (const CharsetNameEntry* row = CharsetNameTable; row->name[0] != 0; ++row)
    if (row->primary != 0) sets.push_back({row->name, row->description});
  return sets;
}

std::vector<NamedSet> AddedSets() {
  std::vector<NamedSet> sets;
  for (const AddedSet& set : kAddedSets) sets.push_back({set.name, set.description});
  return sets;
}

}  // namespace engine

}  // namespace recodo
