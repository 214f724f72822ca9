// Where a run's sources are and where their results go: the names and
// folders worked out, and the run refused, before a file is opened.
#pragma once

#include <set>
#include <string>

#include "settings.h"
#include "source_walk.h"

namespace recodo {

// The one file a run names, and where its result goes.
struct SingleFile {
  char16_t source[kPathCapacity] = {};
  char16_t destination[kPathCapacity] = {};
  std::u16string displayName;
  // Why the file fails before its conversion, or the run ends: a line and
  // the code.
  std::u16string line;
  int code = 0;
};

enum class Plan { Ready, FileFails, RunEnds };

Plan PlanSingleFile(const Settings& settings, const char16_t* sourcePath, SingleFile* file);

// A destination that cannot take the results of many sources (a pattern,
// or a file): the exit code and the line that end the run, else 0.
int ManySourcesDestinationError(const char16_t* outputPath, std::u16string* line);

// The names of a folder's listing that are the automatic result of another
// source listed there (n00.utf-8.txt beside n00.txt): rewritten from that
// source in this run, never converted themselves. A result whose own source
// is such a name is converted, as the source of a result is.
std::set<std::u16string> ResultsOfOthers(const Settings& settings, const SourceDirectory& directory);

// The folder a pattern run that starts in `start` writes the results of
// `directory` into; `output` is the full destination path, or empty.
std::u16string DestinationDirectoryOf(const Settings& settings, const std::u16string& directory,
                                      const char16_t* start, const char16_t* output);

// A log that names the run's one source (kExitNotRead) or its destination
// (kExitNotWritten) would be written into a file the run reads or writes:
// the code and the line that refuse the run before the log is opened; 0
// when the log names neither. A pattern run leaves its log out of its
// sources and refuses it as a destination file by file.
int LogConflict(const Settings& settings, std::u16string* line);

}  // namespace recodo
