#include "platform/standard_input.h"

#include <windows.h>

namespace recodo::platform {

bool ReadStandardInput(void* buffer, std::uint32_t capacity, std::uint32_t* read) {
  *read = 0;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return false;
  DWORD got = 0;
  if (!ReadFile(input, buffer, capacity, &got, nullptr)) {
    // The writer of a pipe closing its end is the end of the input.
    return GetLastError() == ERROR_BROKEN_PIPE;
  }
  *read = got;
  return true;
}

}  // namespace recodo::platform
