// The filter: a source of "-" is standard input, and without an output
// file the result goes to standard output. One file with "/output=-" goes
// there too.
#pragma once

#include "settings.h"

namespace recodo {

bool ReadsStandardInput(const Settings& settings);
// The converted bytes take standard output, so the run's lines move to
// standard error.
bool WritesStandardOutput(const Settings& settings);

// Converts standard input, or one file onto standard output; returns the
// exit code as a batch run would.
int RunFilter(Settings& settings);

}  // namespace recodo
