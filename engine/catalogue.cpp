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

}  // namespace

const char16_t* GetCharacterSetName(CharsetCode code) {
  for (const FixedName& fixed : kUnicodeNames)
    if (fixed.code == code) return fixed.canonical;
  for (const CharsetNameEntry* row = CharsetNameTable; row->name[0] != 0; ++row)
    if (row->code == code) return row->name;
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

}  // namespace engine

}  // namespace recodo
