// Turns the source item into single-file conversions, with a line per file
// and a summary; returns the exit code.
#pragma once

#include <string>

#include "settings.h"

namespace recodo {

int RunBatch(Settings& settings);

// A log that names the run's one source (kExitNotRead) or its destination
// (kExitNotWritten) would be written into a file the run reads or writes:
// the code and the line that refuse the run before the log is opened; 0
// when the log names neither. A pattern run leaves its log out of its
// sources and refuses it as a destination file by file.
int LogConflict(const Settings& settings, std::u16string* line);

}  // namespace recodo
