#include "platform/writable_file.h"

#include <windows.h>

#include "platform/fault_injection.h"

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
  HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return true;
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

// A new file takes the access list its folder gives it; carrying the old
// one over is what "/keep-dacl" is for.
void WritableFile::TakePermissionsOf(const char16_t*) {}

bool WritableFile::Close(ErrorCode* error) {
  if (handle_ == -1) return true;
  const BOOL ok = CloseHandle(AsHandle(handle_));
  handle_ = -1;
  if (ok) return true;
  *error = GetLastError();
  return false;
}

}  // namespace recodo::platform
