// The entry flow once the command line is cut into items.
#pragma once

#include <string>

#include "settings.h"

namespace recodo {

inline constexpr int kExitHelpOrCancel = -1;

// The usage text with this program's version.
std::u16string UsageText();

// Runs the converter for the items (the first is the source, the rest are
// options) and returns the exit code.
int RunItems(Settings& settings, char16_t* const* items, int count);

// The run once the settings are complete: streams, character sets, batch.
int RunSettings(Settings& settings);

}  // namespace recodo
