// The entry flow once the command line is cut into items.
#pragma once

#include <string>

#include "exit_codes.h"
#include "settings.h"

namespace recodo {

// The usage text with this program's version, and its first line.
std::u16string UsageText();
std::u16string BannerLine();

// Runs the converter for the items (the first is the source, the rest are
// options) and returns the exit code. `typed` holds the items as the user
// wrote them, when they were respelled for the option table; an option the
// table does not know is named that way.
int RunItems(Settings& settings, char16_t* const* items, int count, const char16_t* const* typed = nullptr);

// The run once the settings are complete: streams, character sets, batch.
int RunSettings(Settings& settings);

}  // namespace recodo
