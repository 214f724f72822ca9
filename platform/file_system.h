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

// Which file it is, its size and the time of its last change: what tells
// whether a file is still the one that was read, or written.
struct FileState {
  FileIdentity identity;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;  // in the system's own ticks
  bool operator==(const FileState&) const = default;
  bool operator<(const FileState& other) const {
    if (!(identity == other.identity)) return identity < other.identity;
    return size != other.size ? size < other.size : modified < other.modified;
  }
};

// False when nothing can be opened at the path.
bool IdentityOf(const char16_t* path, FileIdentity* identity);
// The file behind standard input (0) or standard output (1); false for a
// pipe, a terminal or a console, which no path names.
bool StandardStreamIdentity(int stream, FileIdentity* identity);
bool StateOf(const char16_t* path, FileState* state);
bool Exists(const char16_t* path);
// Both paths name one existing file.
bool SameExistingFile(const char16_t* a, const char16_t* b);

// The file the system writes when it writes through `path`: past a link in
// the last component to what it finally points to, the link itself staying.
// The path as it is when it names no link (a new file among them).
std::u16string FinalPath(const char16_t* path);
// Whether the links the path ends in may be followed: not one that another
// user put in a folder all may write into and only owners delete from, the
// rule the kernel keeps for /tmp (where it does), kept here too, as the
// program resolves links itself. False with PlantedLinkError.
bool MayFollowLinks(const char16_t* path, ErrorCode* error);
// Whether a finished file may take the place of `destination`: true for a
// new file; false, with the error truncating it would give, for a folder, a
// file that is not a regular one or one the process may not write (the
// read-only attribute on Windows).
bool MayReplace(const char16_t* destination, ErrorCode* error);

// Moves a finished file over the destination (replacing it) in one step.
// With `durable`, the move itself is on the disk before this returns.
bool PutInPlace(const char16_t* temporary, const char16_t* destination, bool durable, ErrorCode* error);
bool RemoveFile(const char16_t* path);
// Renames a file, never over another: false, with the error, when a file
// of the new name exists.
bool RenameNoReplace(const char16_t* from, const char16_t* to, ErrorCode* error);
// Makes a directory and those above it that are missing; true when it
// exists after.
bool CreateDirectories(const char16_t* path, ErrorCode* error);

struct DirectoryEntry {
  std::u16string name;
  bool isDirectory = false;
};

// Every entry of a directory but "." and "..", read completely before the
// caller acts on any, in the order Windows shows them (on POSIX sorted so:
// ASCII letters without case, ties by code unit); false (and nothing) when
// it cannot be read, with the error.
bool ListDirectory(const char16_t* directory, std::vector<DirectoryEntry>* entries, ErrorCode* error);
// The failure of a listing of a directory that is not there: no error the
// user needs to hear of.
bool IsMissing(ErrorCode error);
// The path with every link resolved, as the system reaches the file; the
// path as it is when it cannot be resolved.
std::u16string RealPath(const char16_t* path);

}  // namespace recodo::platform
