#include "platform/file_system.h"

#include <dirent.h>
#include <stdio.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/posix/stat_state.h"
#include "platform/utf16_path.h"

namespace recodo::platform {

bool IdentityOf(const char16_t* path, FileIdentity* identity) {
  struct stat info;
  if (stat(Utf16ToUtf8Path(path).c_str(), &info) != 0) return false;
  identity->volume = static_cast<std::uint64_t>(info.st_dev);
  identity->index = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

bool StandardStreamIdentity(int stream, FileIdentity* identity) {
  struct stat info;
  if (fstat(stream, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  identity->volume = static_cast<std::uint64_t>(info.st_dev);
  identity->index = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

bool StateOf(const char16_t* path, FileState* state) {
  struct stat info;
  if (stat(Utf16ToUtf8Path(path).c_str(), &info) != 0) return false;
  *state = StateOfStatus(info);
  return true;
}

bool Exists(const char16_t* path) {
  struct stat info;
  return lstat(Utf16ToUtf8Path(path).c_str(), &info) == 0;
}

bool SameExistingFile(const char16_t* a, const char16_t* b) {
  FileIdentity first, second;
  return IdentityOf(a, &first) && IdentityOf(b, &second) && first == second;
}

std::u16string FinalPath(const char16_t* path) {
  std::string current = Utf16ToUtf8Path(path);
  // As many links as the system itself follows before it gives up.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
    const ssize_t n = readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) break;
    target.resize(static_cast<std::size_t>(n));
    if (target[0] != '/') {
      const std::size_t slash = current.rfind('/');
      if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
    }
    current = target;
  }
  return PathFromSystem(current);
}

namespace {

// The folder a path names, as an absolute path without links: "/" stays.
std::string ParentOf(const std::string& folder) {
  const std::size_t slash = folder.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

// Adds a path's components in front of those still to walk.
void PushComponents(const std::string& path, std::vector<std::string>* pending) {
  std::vector<std::string> parts;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    if (slash > at) parts.push_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  pending->insert(pending->end(), parts.rbegin(), parts.rend());
}

}  // namespace

bool MayFollowLinks(const char16_t* path, ErrorCode* error) {
  // The path walked as the kernel walks it, one component at a time, with
  // its rule for sticky shared folders applied to every link on the way.
  const std::string start = Utf16ToUtf8Path(path);
  std::string at = "/";
  if (start.empty() || start[0] != '/') {
    char* here = getcwd(nullptr, 0);
    if (here == nullptr) return true;
    at = here;
    free(here);
  }
  std::vector<std::string> pending;  // the components still to walk, the next one last
  PushComponents(start, &pending);
  for (int links = 0; !pending.empty();) {
    const std::string name = pending.back();
    pending.pop_back();
    if (name == ".") continue;
    if (name == "..") {
      at = ParentOf(at);
      continue;
    }
    const std::string next = at == "/" ? "/" + name : at + "/" + name;
    struct stat link;
    // What is missing has no link to follow; the open that comes says why.
    if (lstat(next.c_str(), &link) != 0) return true;
    if (!S_ISLNK(link.st_mode)) {
      at = next;
      continue;
    }
    if (++links > 40) return true;  // a loop, which the open refuses
    struct stat shared;
    if (stat(at.c_str(), &shared) == 0 && (shared.st_mode & S_ISVTX) != 0 && (shared.st_mode & S_IWOTH) != 0 &&
        link.st_uid != shared.st_uid && link.st_uid != geteuid()) {
      *error = PlantedLinkError();
      return false;
    }
    std::string target(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 255) + 1, '\0');
    const ssize_t n = readlink(next.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return true;
    target.resize(static_cast<std::size_t>(n));
    if (target[0] == '/') {
      at.clear();
      at.push_back('/');
    }
    PushComponents(target, &pending);
  }
  return true;
}

bool MayReplace(const char16_t* destination, ErrorCode* error) {
  const std::string path = Utf16ToUtf8Path(destination);
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return true;  // a new file
  if (S_ISDIR(info.st_mode)) {
    *error = EISDIR;
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error = NotRegularFileError();
    return false;
  }
  // Truncating a file the process may not write would fail; so does this.
  if (access(path.c_str(), W_OK) != 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  return true;
}

bool PutInPlace(const char16_t* temporary, const char16_t* destination, bool durable, ErrorCode* error) {
  if (InjectedFault(FileOperation::Rename, error)) return false;
  const std::string to = Utf16ToUtf8Path(destination);
  if (rename(Utf16ToUtf8Path(temporary).c_str(), to.c_str()) != 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  if (durable) {
    // The new name is on the disk only once its directory is.
    const std::size_t slash = to.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
  }
  return true;
}

bool RemoveFile(const char16_t* path) {
  if (InjectedFault(FileOperation::Delete, nullptr)) return false;
  return unlink(Utf16ToUtf8Path(path).c_str()) == 0;
}

bool RenameNoReplace(const char16_t* from, const char16_t* to, ErrorCode* error) {
  if (InjectedFault(FileOperation::Rename, error)) return false;
  const std::string source = Utf16ToUtf8Path(from), target = Utf16ToUtf8Path(to);
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  // A file system that cannot refuse in the rename itself: a second name,
  // which cannot replace, then the first one goes.
  if (link(source.c_str(), target.c_str()) != 0) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  unlink(source.c_str());
  return true;
}

bool CreateDirectories(const char16_t* path, ErrorCode* error) {
  const std::string full = Utf16ToUtf8Path(path);
  for (std::size_t at = full.find('/', 1);; at = full.find('/', at + 1)) {
    const std::string part = at == std::string::npos ? full : full.substr(0, at);
    if (!part.empty() && mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = static_cast<ErrorCode>(errno);
      return false;
    }
    if (at == std::string::npos) break;
  }
  struct stat info;
  if (stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
  *error = ENOTDIR;
  return false;
}

namespace {

// Upper case, as Windows compares names: "a_b" comes after "ab" there.
char16_t FoldAsciiLetter(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

// The order a Windows folder shows its names in: ASCII letters compared
// without case, ties broken by code unit. The system's own order is that of
// its hash tables and changes from folder to folder.
bool ComesBefore(const DirectoryEntry& a, const DirectoryEntry& b) {
  const auto folded = [](char16_t x, char16_t y) { return FoldAsciiLetter(x) < FoldAsciiLetter(y); };
  if (std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(), folded)) return true;
  if (std::lexicographical_compare(b.name.begin(), b.name.end(), a.name.begin(), a.name.end(), folded)) return false;
  return a.name < b.name;
}

}  // namespace

bool IsMissing(ErrorCode error) { return error == ENOENT || error == ENOTDIR; }

std::u16string RealPath(const char16_t* path) {
  char* resolved = realpath(Utf16ToUtf8Path(path).c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::u16string result = PathFromSystem(resolved);
  free(resolved);
  return result;
}

bool ListDirectory(const char16_t* directory, std::vector<DirectoryEntry>* entries, ErrorCode* error) {
  entries->clear();
  const std::string base = Utf16ToUtf8Path(directory);
  if (InjectedFault(FileOperation::List, error)) return false;
  DIR* dir = opendir(base.empty() ? "." : base.c_str());
  if (dir == nullptr) {
    *error = static_cast<ErrorCode>(errno);
    return false;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    DirectoryEntry item;
    item.name = PathFromSystem(name);
    if (entry->d_type == DT_DIR || entry->d_type == DT_REG) {
      item.isDirectory = entry->d_type == DT_DIR;
    } else {
      // Links count as what they point to, as on Windows a junction does.
      struct stat info;
      const std::string full = base + (base.empty() || base.back() == '/' ? "" : "/") + entry->d_name;
      item.isDirectory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    entries->push_back(std::move(item));
  }
  closedir(dir);
  std::sort(entries->begin(), entries->end(), ComesBefore);
  return true;
}

}  // namespace recodo::platform
