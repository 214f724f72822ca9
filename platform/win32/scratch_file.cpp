#include "platform/scratch_file.h"

#include <windows.h>

#include <string>

#include "platform/process.h"

namespace recodo::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

unsigned scratchCounter = 0;

}  // namespace

std::u16string ScratchFolder(bool* fromSetting) {
  wchar_t directory[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
  *fromSetting = GetEnvironmentVariableW(L"TMP", nullptr, 0) != 0 || GetEnvironmentVariableW(L"TEMP", nullptr, 0) != 0;
  return length == 0 || length > MAX_PATH ? std::u16string() : std::u16string(reinterpret_cast<char16_t*>(directory));
}

bool ScratchFile::Open(ErrorCode* error) {
  Close();
  wchar_t directory[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
  if (length == 0 || length > MAX_PATH) {
    *error = length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  // Shared with nobody and deleted by the system when the handle closes,
  // also when the process ends without closing it.
  for (int attempt = 0; attempt < 10000; ++attempt) {
    const std::wstring name = std::wstring(directory) + L"~recodo" + std::to_wstring(ProcessId()) + L"-scratch" +
                              std::to_wstring(++scratchCounter) + L".tmp";
    HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(h);
      return true;
    }
    *error = GetLastError();
    if (*error != ERROR_FILE_EXISTS && *error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

namespace {

// Moves all bytes at the offset with ReadFile or WriteFile, or fails.
template <typename Buffer, typename Call>
bool Whole(HANDLE h, std::uint64_t offset, Buffer* data, std::size_t length, Call call, ErrorCode shortError,
           ErrorCode* error) {
  while (length > 0) {
    const DWORD want = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    DWORD done = 0;
    OVERLAPPED at = At(offset);
    if (!call(h, data, want, &done, &at) || done == 0) {
      *error = GetLastError();
      if (*error == NO_ERROR) *error = shortError;
      return false;
    }
    data += done;
    offset += done;
    length -= done;
  }
  return true;
}

}  // namespace

bool ScratchFile::WriteAt(std::uint64_t offset, const void* data, std::size_t length, ErrorCode* error) {
  return Whole(AsHandle(handle_), offset, static_cast<const char*>(data), length, WriteFile, ERROR_WRITE_FAULT, error);
}

bool ScratchFile::ReadAt(std::uint64_t offset, void* data, std::size_t length, ErrorCode* error) {
  return Whole(AsHandle(handle_), offset, static_cast<char*>(data), length, ReadFile, ERROR_HANDLE_EOF, error);
}

void ScratchFile::Close() {
  if (handle_ == -1) return;
  CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

}  // namespace recodo::platform
