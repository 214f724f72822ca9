// The run's two output streams: ordinary messages and diagnostics.
#pragma once

#include <string_view>

#include "base/diagnostic_sink.h"

#include "settings.h"

namespace recodo {

// Decides once per run where the streams go, and writes the log header.
// `logRefused`: the log is not to be opened; the run prints where it would
// without one ("/silent" nowhere).
void SetUpStreams(const Settings& settings, bool logRefused = false);
// Ordinary messages: console, inherited output, log file or nowhere.
void Print(std::u16string_view text);
// Privilege, ownership and access-list messages.
void PrintDiagnostic(std::u16string_view text);
// The same stream, for the code that is handed a sink.
DiagnosticSink& DiagnosticStream();
// A word about the command line (an option ignored): the error stream the
// program was given, else where the run's lines go; never with "/silent".
void PrintNotice(std::u16string_view text);
// Whether the ordinary messages reach a person at a terminal or console:
// only then is a progress line shown.
bool OutputIsInteractive();
// Puts a progress line in place of the last one, without a line break; an
// empty text erases it.
void ShowProgress(std::u16string_view line);
// Lets go of the console the run's lines went to; a window of the run's own
// first waits for a key. Once per run: a second call does nothing.
void ReleaseStreams();
// The run's exit code, made a failure's when the log could not take its
// lines.
int WithOutputFailures(int exitCode);

}  // namespace recodo
