// Turns the source item into single-file conversions, with a line per file
// and a summary; returns the exit code.
#pragma once

#include <string>

#include "settings.h"

namespace recodo {

int RunBatch(Settings& settings);

}  // namespace recodo
