// POSIX access lists and the other extended attributes of a file, carried
// from one file to another.
#pragma once

#include <sys/types.h>

#include <string>

namespace recodo::platform {

// Copies every extended attribute of the file at `from` (its access list
// among them) onto the open file; what the process may not set stays unset.
void CopyAttributes(const std::string& from, int fd);

// The file's access list, as its extended attribute holds it; empty when it
// has none beyond its mode.
std::string AccessListOf(const std::string& path);
// Sets that list on the file at `path`, or removes the file's own.
void SetAccessList(const std::string& path, const std::string& list);

// The permission bits a file without an access list may take from `path`:
// where an access list gives the group class (and so the mode's group bits)
// more than the owning group has, the owning group's own rights, so that no
// one the list shut out can read the new file.
mode_t ModeWithoutAccessList(const std::string& path, mode_t mode);

}  // namespace recodo::platform
