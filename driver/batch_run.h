// Turns the source item into single-file conversions, with a line per file
// and a summary; returns the exit code.
#pragma once

#include <string>

#include "file_progress.h"
#include "settings.h"

namespace recodo {

// `shown`: where the progress of each file shows; null for the console's
// progress line.
int RunBatch(Settings& settings, FileProgress* shown = nullptr);

}  // namespace recodo
