#include "source_walk.h"

#include <algorithm>
#include <memory>

#include "base/quoted.h"
#include "linked_list.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "settings.h"

namespace recodo {
namespace {

// Whether `path` is `root` or lies below it.
bool Within(const std::u16string& path, const std::u16string& root) {
  if (path.compare(0, root.size(), root) != 0) return false;
  return path.size() == root.size() || root.back() == platform::kSeparator || path[root.size()] == platform::kSeparator;
}

}  // namespace

bool SourceDirectory::Lists(const char16_t* name) const {
  return std::binary_search(keys.begin(), keys.end(), platform::FileNameKey(name));
}

void SourceWalk::Walk(const char16_t* start, const char16_t* pattern, bool recursive,
                      const std::optional<platform::FileIdentity>& skip, const char16_t* skipName) {
  // Directories still to list, the most recent first: a depth-first walk.
  // The list holds the paths themselves and deletes the nodes still linked
  // when it goes; a node taken off is owned here.
  using Pending = CLinkedList<std::u16string>;
  Pending pending(true);
  pending.Add(std::u16string(start));
  const std::u16string root = platform::RealPath(start);
  std::vector<platform::DirectoryEntry> entries;
  while (const std::unique_ptr<Pending::Node> node{pending.RemoveTail()}) {
    const std::u16string directory = node->GetData();
    platform::FileIdentity identity;
    const bool known = platform::IdentityOf(directory.c_str(), &identity);
    if (known && byIdentity_.count(identity) != 0) continue;  // links may lead back up the tree
    // A link may lead anywhere: the walk stays in the tree it was given.
    if (directory != start && !Within(platform::RealPath(directory.c_str()), root)) {
      problems_.push_back({WalkProblem::Kind::OutOfTree, directory});
      continue;
    }
    SourceDirectory listing;
    listing.path = directory;
    platform::ErrorCode error = 0;
    if (!platform::ListDirectory(directory.c_str(), &entries, &error) && !platform::IsMissing(error))
      problems_.push_back({WalkProblem::Kind::Unreadable, directory, error});
    for (const platform::DirectoryEntry& entry : entries) {
      char16_t path[kPathCapacity];
      const bool joined = CopyPath(path, directory.c_str()) &&
                          platform::AppendPath(path, kPathCapacity, entry.name.c_str());
      if (entry.isDirectory) {
        if (!recursive) continue;
        if (!joined) {
          problems_.push_back({WalkProblem::Kind::TooLong, directory + platform::kSeparator + entry.name});
          continue;
        }
        pending.Add(std::u16string(path));
        continue;
      }
      if (!platform::MatchesPattern(entry.name.c_str(), pattern)) continue;
      if (skip && joined && platform::FileNameKey(entry.name.c_str()) == platform::FileNameKey(skipName)) {
        platform::FileIdentity file;
        if (platform::IdentityOf(path, &file) && file == *skip) continue;
      }
      listing.files.push_back(entry.name);
      listing.keys.push_back(platform::FileNameKey(entry.name.c_str()));
    }
    std::sort(listing.keys.begin(), listing.keys.end());
    if (known) byIdentity_[identity] = directories_.size();
    directories_.push_back(std::move(listing));
  }
}

const SourceDirectory* SourceWalk::Find(const char16_t* path) const {
  platform::FileIdentity identity;
  if (!platform::IdentityOf(path, &identity)) return nullptr;
  const auto found = byIdentity_.find(identity);
  return found == byIdentity_.end() ? nullptr : &directories_[found->second];
}

std::u16string WalkProblemLine(const WalkProblem& problem) {
  const std::u16string quoted = Quoted(problem.path);
  switch (problem.kind) {
    case WalkProblem::Kind::Unreadable:
      return quoted + u": " + platform::SystemErrorText(problem.error) + quoted +
             u" could not be listed; its files are not converted.\n";
    case WalkProblem::Kind::TooLong:
      return quoted + u": " + platform::SystemErrorText(platform::NameTooLongError()) + quoted +
             u" is skipped: the path is too long.\n";
    case WalkProblem::Kind::OutOfTree:
      return quoted + u" leads out of the folders the pattern walks; it is not followed.\n";
  }
  return u"";
}

}  // namespace recodo
