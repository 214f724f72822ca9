#include "platform/read_only_file.h"

#include <windows.h>

#include "platform/fault_injection.h"
#include "platform/system_error.h"

namespace recodo::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

ReadOnlyFile::~ReadOnlyFile() { Close(); }

bool ReadOnlyFile::Open(const char16_t* path) {
  // Writers are shut out while the file is read. One that holds the file for
  // a moment (a run beside this one putting its result in place, a virus
  // scanner) is waited for a while before the file counts as unreadable.
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0;; ++attempt) {
    h = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || attempt == 40) break;
    Sleep(attempt < 10 ? 5 : 25);
  }
  if (h == INVALID_HANDLE_VALUE) return false;
  // Devices and pipes open like files ("nul", "con", "\\.\pipe\x").
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    SetLastError(NotRegularFileError());
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return true;
}

bool ReadOnlyFile::Size(std::uint64_t* size) const {
  DWORD high = 0;
  const DWORD low = GetFileSize(AsHandle(handle_), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *size = (std::uint64_t(high) << 32) | low;
  return true;
}

bool ReadOnlyFile::Read(void* buffer, std::uint32_t capacity, std::uint32_t* read) {
  if (InjectedFault(FileOperation::Read, nullptr)) {
    *read = 0;
    return false;
  }
  if (capacity > 1 && InjectedFault(FileOperation::ShortRead, nullptr)) capacity /= 2;
  DWORD got = 0;
  const BOOL ok = ReadFile(AsHandle(handle_), buffer, capacity, &got, nullptr);
  *read = got;
  return ok != FALSE;
}

bool ReadOnlyFile::Rewind() {
  LARGE_INTEGER start = {};
  return SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN) != FALSE;
}

bool ReadOnlyFile::State(FileState* state) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(handle_), &info)) return false;
  state->identity.volume = info.dwVolumeSerialNumber;
  state->identity.index = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  state->size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  state->modified = (std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  return true;
}

void ReadOnlyFile::Close() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

}  // namespace recodo::platform
