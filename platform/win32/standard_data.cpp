#include "platform/standard_data.h"

#include <windows.h>

#include <algorithm>

namespace recodo::platform {
namespace {

// A window program started without redirection has no such handle.
HANDLE Standard(DWORD which, ErrorCode* error) {
  HANDLE h = GetStdHandle(which);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) *error = ERROR_INVALID_HANDLE;
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

// A Windows program's handles are numbers of their own: no file the program
// opens takes a missing one's place.
void GuardStandardDescriptors() {}

bool ReadStandardInput(void* buffer, std::size_t capacity, std::size_t* got, ErrorCode* error) {
  HANDLE in = Standard(STD_INPUT_HANDLE, error);
  if (in == nullptr) return false;
  DWORD read = 0;
  const auto ask = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
  if (!ReadFile(in, buffer, ask, &read, nullptr)) {
    // The writer closed its end: that is the end of the input.
    if (GetLastError() == ERROR_BROKEN_PIPE) {
      *got = 0;
      return true;
    }
    *error = GetLastError();
    return false;
  }
  *got = read;
  return true;
}

bool WriteStandardOutput(const void* data, std::size_t length, ErrorCode* error) {
  HANDLE out = Standard(STD_OUTPUT_HANDLE, error);
  if (out == nullptr) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    DWORD written = 0;
    const auto ask = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30));
    if (!WriteFile(out, p, ask, &written, nullptr) || written == 0) {
      *error = GetLastError();
      return false;
    }
    p += written;
    length -= written;
  }
  return true;
}

}  // namespace recodo::platform
