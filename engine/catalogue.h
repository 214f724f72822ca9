// The catalogue of character sets: names, aliases and their codes.
#pragma once

#include <cstdint>

#include "charset_codes.h"

namespace recodo {

struct CharsetNameEntry {
  char16_t name[32];
  char16_t description[128];
  std::int32_t code;
  std::int32_t primary;
};

inline constexpr int CharsetNameRowCount = 158;

// 158 rows grouped by code (primary row first), then one all-zero row.
extern const CharsetNameEntry CharsetNameTable[CharsetNameRowCount + 1];

// The primary name of a code, "utf-8"/"utf-16"/"utf-16be" for 100..102,
// the added sets' own names, or null for a code that names nothing.
const char16_t* GetCharacterSetName(CharsetCode code);

// Looks `*nameInOut` up (ASCII letters compared without case). When known,
// sets *codeOut and points *nameInOut at the catalogue's spelling of the
// name that matched; otherwise returns false and touches neither.
bool GetCharacterSetCode(CharsetCode* codeOut, const char16_t** nameInOut);

}  // namespace recodo
