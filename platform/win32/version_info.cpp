#include "platform/version_info.h"

#include <windows.h>

#include <cwchar>
#include <memory>

namespace recodo::platform {

bool ReadVersionValue(const char16_t* modulePath, const char16_t* name, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return false;
  out[0] = 0;
  wchar_t path[MAX_PATH] = {};
  if (modulePath != nullptr) {
    wcsncpy(path, reinterpret_cast<const wchar_t*>(modulePath), MAX_PATH - 1);
  } else if (GetModuleFileNameW(nullptr, path, MAX_PATH) == 0) {
    return false;
  }
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return false;
  std::unique_ptr<char[]> record(new (std::nothrow) char[size]);
  if (!record || !GetFileVersionInfoW(path, 0, size, record.get())) return false;

  unsigned language = 0x0000;
  unsigned codePage = 0x0400;
  void* translation = nullptr;
  UINT translationLength = 0;
  if (VerQueryValueW(record.get(), L"\\VarFileInfo\\Translation", &translation, &translationLength) &&
      translationLength >= 4) {
    const DWORD first = *static_cast<const DWORD*>(translation);
    language = first & 0xFFFF;
    codePage = first >> 16;
  }
  wchar_t block[128];
  swprintf(block, 128, L"\\StringFileInfo\\%04X%04X\\%ls", language, codePage,
           reinterpret_cast<const wchar_t*>(name));
  void* value = nullptr;
  UINT valueLength = 0;
  if (!VerQueryValueW(record.get(), block, &value, &valueLength) || value == nullptr) return false;
  const auto* text = static_cast<const wchar_t*>(value);
  std::size_t n = 0;
  while (n + 1 < capacity && text[n] != 0) {
    out[n] = static_cast<char16_t>(text[n]);
    ++n;
  }
  out[n] = 0;
  return true;
}

}  // namespace recodo::platform
