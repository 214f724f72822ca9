// Guessing a legacy source's character set when asked: the line a
// converting run prints per file, and the run that only reports.
#pragma once

#include <string>

#include "engine/engine.h"
#include "settings.h"

namespace recodo {

// "Guess: <name> is <set> (<language>, confidence <n> %)\n"
std::u16string GuessLine(const char16_t* displayName, const engine::Identification& source);

// "<path>\t<set>\t<language or ->\t<confidence>\n": what "/guess-only"
// prints; "-" and 0 for bytes that are no text.
std::u16string GuessReportLine(const char16_t* path, const engine::Identification& source);

// "/guess-only": one report line per file of the source (a file, a pattern,
// with "/recursive" its subdirectories too, or "-" for the standard input).
// Converts nothing. Returns 0, 2 when the last source that failed could not
// be read (its line names the system's reason and the path), 3 for a
// directory.
int RunGuessOnly(Settings& settings);

}  // namespace recodo
