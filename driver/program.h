// The entry flow once the command line is cut into items.
#pragma once

#include <string>

#include "exit_codes.h"
#include "file_progress.h"
#include "settings.h"

namespace recodo {

// The usage text with this program's version, and its first line.
std::u16string UsageText();
std::u16string BannerLine();

// What an item that is no option is: ignored (one source per run), or
// another source (as Linux tools take several files).
enum class ExtraItems { Ignored, Sources };

// Runs the converter for the items (the first is the source, the rest are
// options, in any of the spellings the option table takes) and returns the
// exit code.
int RunItems(Settings& settings, char16_t* const* items, int count, ExtraItems extra);

// The run once the settings are complete: streams, character sets, batch.
// `shown`: where the progress of each file shows (the dialog's window);
// null for the console's progress line.
int RunSettings(Settings& settings, FileProgress* shown = nullptr);

}  // namespace recodo
