// Files and directories by path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_error.h"

namespace recodo::platform {

#if defined(_WIN32)
inline constexpr char16_t kSeparator = u'\\';
#else
inline constexpr char16_t kSeparator = u'/';
#endif

// What makes a file the same file however its path is spelled.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
  bool operator<(const FileIdentity& other) const {
    return volume != other.volume ? volume < other.volume : index < other.index;
  }
};

// False when nothing can be opened at the path.
bool IdentityOf(const char16_t* path, FileIdentity* identity);
bool Exists(const char16_t* path);

// Moves a finished file over the destination (replacing it) in one step.
// With `durable`, the move itself is on the disk before this returns.
bool PutInPlace(const char16_t* temporary, const char16_t* destination, bool durable, ErrorCode* error);
bool RemoveFile(const char16_t* path);
// Renames a file, replacing a file of the new name.
bool RenameReplacing(const char16_t* from, const char16_t* to);

struct DirectoryEntry {
  std::u16string name;
  bool isDirectory = false;
};

// Every entry of a directory but "." and "..", read completely before the
// caller acts on any; false (and nothing) when it cannot be read.
bool ListDirectory(const char16_t* directory, std::vector<DirectoryEntry>* entries);

}  // namespace recodo::platform
