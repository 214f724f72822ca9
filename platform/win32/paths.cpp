#include "platform/paths.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string>

#include "base/unit_text.h"

namespace recodo::platform {
namespace {

wchar_t* W(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

bool FullPath(char16_t* out, std::size_t capacity, const char16_t* path) {
  if (path[0] == 0) return false;
  wchar_t result[MAX_PATH] = {};
  const DWORD n = GetFullPathNameW(W(path), MAX_PATH, result, nullptr);
  if (n == 0 || n >= MAX_PATH || n + 1 > capacity) return false;
  std::memcpy(out, result, (n + 1) * sizeof(wchar_t));
  return true;
}

bool AppendPath(char16_t* path, std::size_t capacity, const char16_t* more) {
  wchar_t result[MAX_PATH] = {};
  const std::size_t n = UnitLength(path);
  if (n >= MAX_PATH) return false;
  std::memcpy(result, path, (n + 1) * sizeof(wchar_t));
  if (!PathAppendW(result, W(more))) return false;
  const std::size_t m = wcslen(result);
  if (m + 1 > capacity) return false;
  std::memcpy(path, result, (m + 1) * sizeof(wchar_t));
  return true;
}

void RemoveFileSpec(char16_t* path) { PathRemoveFileSpecW(W(path)); }

const char16_t* FindFileName(const char16_t* path) {
  return reinterpret_cast<const char16_t*>(PathFindFileNameW(W(path)));
}

const char16_t* FindExtension(const char16_t* path) {
  return reinterpret_cast<const char16_t*>(PathFindExtensionW(W(path)));
}

bool IsRelativePath(const char16_t* path) { return path[0] == 0 || PathIsRelativeW(W(path)); }

std::size_t SystemPrefixLength(const char16_t* path) {
  const bool prefixed = path[0] == u'\\' && path[1] == u'\\' && (path[2] == u'?' || path[2] == u'.') && path[3] == u'\\';
  return prefixed ? 4 : 0;
}

bool EndsWithSeparator(const char16_t* path) {
  const std::size_t length = UnitLength(path);
  return length > 0 && (path[length - 1] == u'\\' || path[length - 1] == u'/');
}

bool IsDirectory(const char16_t* path) { return path[0] != 0 && PathIsDirectoryW(W(path)); }

std::u16string FileNameKey(const char16_t* name) {
  std::u16string key(name);
  if (!key.empty()) CharUpperBuffW(reinterpret_cast<wchar_t*>(key.data()), static_cast<DWORD>(key.size()));
  return key;
}

bool MatchesPattern(const char16_t* name, const char16_t* pattern) { return PathMatchSpecW(W(name), W(pattern)); }

bool CurrentDirectory(char16_t* out, std::size_t capacity) {
  const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(capacity), W(out));
  return n != 0 && n < capacity;
}

void FormatByteSize(std::uint64_t bytes, char16_t* out, std::size_t capacity) {
  if (!StrFormatByteSizeW(static_cast<LONGLONG>(bytes), W(out), static_cast<UINT>(capacity)) && capacity > 0)
    out[0] = 0;
}

}  // namespace recodo::platform
