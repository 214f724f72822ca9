// The usage text shown for "/?".
#pragma once

#include <string>

namespace recodo {

// The names of the single-byte sets as the usage text lists them: every
// primary name of the catalogue followed by ", ".
std::u16string PrimaryCharsetList();
// The names of the sets added since, comma-separated.
std::u16string AddedCharsetList();

// The first line of the text: the program's name and version.
std::u16string BuildBannerLine(const std::u16string& version);

// The whole text, lines ending in CR LF, with the program's version filled in.
std::u16string BuildUsageText(const std::u16string& version);

}  // namespace recodo
