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

class SourceWalk {
 public:
  // Lists `start` and, with `recursive`, the directories below it, depth
  // first: the directories found in one are taken last found first, each
  // with its subtree before its siblings. A directory reached twice (links)
  // is listed once; `skip` (the run's log) is never a source.
  void Walk(const char16_t* start, const char16_t* pattern, bool recursive,
            const std::optional<platform::FileIdentity>& skip, const char16_t* skipName);

  const std::vector<SourceDirectory>& directories() const { return directories_; }
  // The listing of the directory at `path`, however it is spelled; null
  // when the run does not list it.
  const SourceDirectory* Find(const char16_t* path) const;

 private:
  std::vector<SourceDirectory> directories_;
  std::map<platform::FileIdentity, std::size_t> byIdentity_;
};

}  // namespace recodo
