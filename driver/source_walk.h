// The sources of a pattern run, listed whole before any file is converted:
// the run never meets its own output, and it knows every file it is to
// convert, so that no result is written over one of them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace recodo {

struct SourceDirectory {
  std::u16string path;
  std::vector<std::u16string> files;  // names that match the pattern, in listing order
  std::vector<std::u16string> keys;   // the same names as the file system compares them, sorted

  bool Lists(const char16_t* name) const;
};

// What the walk could not list or did not follow, for the run to tell.
struct WalkProblem {
  enum class Kind { Unreadable, TooLong, OutOfTree };
  Kind kind;
  std::u16string path;
  platform::ErrorCode error = 0;  // of an unreadable folder
};

class SourceWalk {
 public:
  // Lists `start` and, with `recursive`, the directories below it, depth
  // first: the directories found in one are taken last found first, each
  // with its subtree before its siblings. A directory reached twice (links)
  // is listed once, and a link that leads out of the start's tree is not
  // followed; `skip` (the run's log) is never a source.
  void Walk(const char16_t* start, const char16_t* pattern, bool recursive,
            const std::optional<platform::FileIdentity>& skip, const char16_t* skipName);

  const std::vector<SourceDirectory>& directories() const { return directories_; }
  const std::vector<WalkProblem>& problems() const { return problems_; }
  // The listing of the directory at `path`, however it is spelled; null
  // when the run does not list it.
  const SourceDirectory* Find(const char16_t* path) const;

 private:
  std::vector<SourceDirectory> directories_;
  std::vector<WalkProblem> problems_;
  std::map<platform::FileIdentity, std::size_t> byIdentity_;
};

// "<path>" and why: the line that tells of a problem of the walk.
std::u16string WalkProblemLine(const WalkProblem& problem);

}  // namespace recodo
