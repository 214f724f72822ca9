// Guessing a legacy source's character set when asked: the line a
// converting run prints per file, and the run that only reports.
#pragma once

#include <string>

#include "engine/guess.h"
#include "settings.h"

namespace recodo {

// "Guess: <name> is <set> (<language>, confidence <n> %)\n"
std::u16string GuessLine(const char16_t* displayName, const CharsetGuess& guess);

// "<path>\t<set>\t<language or ->\t<confidence>\n": what "/guess-only" prints.
std::u16string GuessReportLine(const char16_t* path, const CharsetGuess& guess);

// "/guess-only": one report line per file of the source (a file, a pattern,
// with "/recursive" its subdirectories too, or "-" for the standard input).
// Converts nothing and returns 0; a source that is a directory gives 3.
int RunGuessOnly(Settings& settings);

}  // namespace recodo
