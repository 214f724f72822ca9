#include "source_walk.h"

#include <algorithm>
#include <memory>

#include "linked_list.h"
#include "output.h"
#include "platform/paths.h"
#include "settings.h"

namespace recodo {

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
  std::vector<platform::DirectoryEntry> entries;
  while (const std::unique_ptr<Pending::Node> node{pending.RemoveTail()}) {
    const std::u16string directory = node->GetData();
    platform::FileIdentity identity;
    const bool known = platform::IdentityOf(directory.c_str(), &identity);
    if (known && byIdentity_.count(identity) != 0) continue;  // links may lead back up the tree
    SourceDirectory listing;
    listing.path = directory;
    platform::ListDirectory(directory.c_str(), &entries);
    for (const platform::DirectoryEntry& entry : entries) {
      char16_t path[kPathCapacity];
      const bool joined = CopyPath(path, directory.c_str()) &&
                          platform::AppendPath(path, kPathCapacity, entry.name.c_str());
      if (entry.isDirectory) {
        if (!recursive) continue;
        if (!joined) {
          Print(u"Skipped, the path is too long: " + directory + platform::kSeparator + entry.name + u"\n");
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

}  // namespace recodo
