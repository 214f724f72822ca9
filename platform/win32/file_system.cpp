#include "platform/file_system.h"

#include <windows.h>

#include "platform/fault_injection.h"

namespace recodo::platform {
namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

bool StateOf(const char16_t* path, FileState* state) {
  // No access asked: this works on files others hold open, and on folders.
  HANDLE h = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return false;
  state->identity.volume = info.dwVolumeSerialNumber;
  state->identity.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  state->size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  state->modified = (std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool IdentityOf(const char16_t* path, FileIdentity* identity) {
  FileState state;
  if (!StateOf(path, &state)) return false;
  *identity = state.identity;
  return true;
}

bool StandardStreamIdentity(int stream, FileIdentity* identity) {
  const HANDLE h = GetStdHandle(stream == 0 ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
  BY_HANDLE_FILE_INFORMATION info;
  if (h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(h, &info))
    return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool Exists(const char16_t* path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

bool SameExistingFile(const char16_t* a, const char16_t* b) {
  FileIdentity first, second;
  return IdentityOf(a, &first) && IdentityOf(b, &second) && first == second;
}

std::u16string FinalPath(const char16_t* path) {
  // Asked of every existing file, not only of reparse points: Wine shows a
  // link of the host's file system as a plain file, and resolves it here.
  if (GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) return path;
  // Opened without FILE_FLAG_OPEN_REPARSE_POINT, the handle is the target's.
  HANDLE h = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return path;
  wchar_t buffer[MAX_PATH + 16] = {};
  const DWORD n = GetFinalPathNameByHandleW(h, buffer, MAX_PATH + 16, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(h);
  if (n == 0 || n >= MAX_PATH + 16) return path;
  std::u16string resolved(reinterpret_cast<const char16_t*>(buffer), n);
  if (resolved.rfind(u"\\\\?\\UNC\\", 0) == 0) {
    resolved = u"\\" + resolved.substr(7);
  } else if (resolved.rfind(u"\\\\?\\", 0) == 0) {
    resolved = resolved.substr(4);
  }
  return resolved.size() < MAX_PATH ? resolved : std::u16string(path);
}

// Windows keeps no such folders; its links are the system's to follow.
bool MayFollowLinks(const char16_t*, ErrorCode*) { return true; }

bool MayReplace(const char16_t* destination, ErrorCode* error) {
  const DWORD attributes = GetFileAttributesW(W(destination));
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // a new file
  // A folder is never replaced; a read-only file refuses to be truncated.
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    *error = ERROR_ACCESS_DENIED;
    return false;
  }
  return true;
}

bool PutInPlace(const char16_t* temporary, const char16_t* destination, bool durable, ErrorCode* error) {
  if (InjectedFault(FileOperation::Rename, error)) return false;
  // A folder in the way is never replaced, whatever the file system allows.
  const DWORD attributes = GetFileAttributesW(W(destination));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *error = ERROR_ACCESS_DENIED;
    return false;
  }
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
  // A file that another program holds open for a moment (a run beside this
  // one reading its access list, a virus scanner) cannot be replaced until
  // it lets go: try again for a while before giving up.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(W(temporary), W(destination), flags)) return true;
    *error = GetLastError();
    if ((*error != ERROR_ACCESS_DENIED && *error != ERROR_SHARING_VIOLATION) || attempt == 40) return false;
    const DWORD now = GetFileAttributesW(W(destination));
    if (now != INVALID_FILE_ATTRIBUTES && (now & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
      return false;
    Sleep(attempt < 10 ? 5 : 25);
  }
}

bool RemoveFile(const char16_t* path) {
  if (InjectedFault(FileOperation::Delete, nullptr)) return false;
  return DeleteFileW(W(path)) != FALSE;
}

bool RenameNoReplace(const char16_t* from, const char16_t* to, ErrorCode* error) {
  if (InjectedFault(FileOperation::Rename, error)) return false;
  if (MoveFileExW(W(from), W(to), 0)) return true;
  *error = GetLastError();
  return false;
}

bool CreateDirectories(const char16_t* path, ErrorCode* error) {
  const std::u16string full(path);
  // Past a drive's root or a share's name: those are never made.
  std::size_t at = full.rfind(u"\\\\", 0) == 0 ? full.find(u'\\', full.find(u'\\', 2) + 1) : full.find(u'\\');
  for (;; at = full.find(u'\\', at + 1)) {
    const std::u16string part = at == std::u16string::npos ? full : full.substr(0, at);
    if (!part.empty() && part.back() != u':' && !CreateDirectoryW(W(part.c_str()), nullptr)) {
      *error = GetLastError();
      const DWORD attributes = GetFileAttributesW(W(part.c_str()));
      if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
    }
    if (at == std::u16string::npos) break;
  }
  const DWORD attributes = GetFileAttributesW(W(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return true;
  *error = ERROR_DIRECTORY;
  return false;
}

bool IsMissing(ErrorCode error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY;
}

std::u16string RealPath(const char16_t* path) { return FinalPath(path); }

bool ListDirectory(const char16_t* directory, std::vector<DirectoryEntry>* entries, ErrorCode* error) {
  entries->clear();
  if (InjectedFault(FileOperation::List, error)) return false;
  std::u16string pattern(directory);
  if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(W(pattern.c_str()), &data);
  if (find == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  do {
    const std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
    if (name == u"." || name == u"..") continue;
    entries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

}  // namespace recodo::platform
