#include "platform/writable_file.h"

#include <windows.h>

#include "platform/fault_injection.h"
#include "platform/file_security.h"
#include "platform/win32/advapi.h"

namespace recodo::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

WritableFile::~WritableFile() {
  ErrorCode ignored;
  Close(&ignored);
}

bool WritableFile::CreateNew(const char16_t* path, ErrorCode* error) {
  if (InjectedFault(FileOperation::Create, error)) return false;
  // Shared for deleting: an interrupt of the run may remove it while open.
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  path_ = path;
  return true;
}

// Windows has no files without a name: the result is written under a
// temporary one, which an interrupt removes.
bool WritableFile::CreateUnnamed(const char16_t*, ErrorCode* error) {
  *error = ERROR_NOT_SUPPORTED;
  return false;
}

bool WritableFile::Name(const char16_t*, bool, ErrorCode* error) {
  *error = ERROR_NOT_SUPPORTED;
  return false;
}

bool WritableFile::Write(const void* data, std::size_t length, ErrorCode* error) {
  if (InjectedFault(FileOperation::Write, error)) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    const DWORD want = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    DWORD done = 0;
    if (!WriteFile(AsHandle(handle_), p, want, &done, nullptr) || done == 0) {
      *error = GetLastError();
      if (*error == NO_ERROR) *error = ERROR_WRITE_FAULT;
      return false;
    }
    p += done;
    length -= done;
  }
  return true;
}

bool WritableFile::Flush(ErrorCode* error) {
  if (InjectedFault(FileOperation::Flush, error)) return false;
  if (FlushFileBuffers(AsHandle(handle_))) return true;
  *error = GetLastError();
  return false;
}

void WritableFile::TakeAccessFrom(const char16_t* destination, const char16_t*) {
  // A new file takes the access list its folder gives it; carrying the
  // source's over is what "/keep-dacl" is for.
  const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(destination));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  if (Advapi().keepsAccessLists) {
    if (const auto kept = CaptureSecurity(destination)) ApplySecurity(path_.c_str(), *kept, true, true);
  }
  constexpr DWORD kKept =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  if ((attributes & kKept) != 0) SetFileAttributesW(reinterpret_cast<const wchar_t*>(path_.c_str()), attributes & kKept);
}

bool WritableFile::Close(ErrorCode* error) {
  if (handle_ == -1) return true;
  const BOOL ok = CloseHandle(AsHandle(handle_));
  handle_ = -1;
  path_.clear();
  if (ok) return true;
  *error = GetLastError();
  return false;
}

}  // namespace recodo::platform
