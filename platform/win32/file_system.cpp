#include "platform/file_system.h"

#include <windows.h>

#include "platform/fault_injection.h"

namespace recodo::platform {
namespace {

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

bool IdentityOf(const char16_t* path, FileIdentity* identity) {
  // No access asked: this works on files others hold open, and on folders.
  HANDLE h = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool Exists(const char16_t* path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

bool PutInPlace(const char16_t* temporary, const char16_t* destination, bool durable, ErrorCode* error) {
  if (InjectedFault(FileOperation::Rename, error)) return false;
  // A folder in the way is never replaced, whatever the file system allows.
  const DWORD attributes = GetFileAttributesW(W(destination));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    *error = ERROR_ACCESS_DENIED;
    return false;
  }
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
  if (MoveFileExW(W(temporary), W(destination), flags)) return true;
  *error = GetLastError();
  return false;
}

bool RemoveFile(const char16_t* path) {
  if (InjectedFault(FileOperation::Delete, nullptr)) return false;
  return DeleteFileW(W(path)) != FALSE;
}

bool RenameReplacing(const char16_t* from, const char16_t* to) {
  if (InjectedFault(FileOperation::Rename, nullptr)) return false;
  return MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool ListDirectory(const char16_t* directory, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  std::u16string pattern(directory);
  if (!pattern.empty() && pattern.back() != u'\\') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(W(pattern.c_str()), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    const std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
    if (name == u"." || name == u"..") continue;
    entries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return true;
}

}  // namespace recodo::platform
