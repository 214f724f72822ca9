#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/ascii_case.h"
#include "base/unit_text.h"
#include "platform/utf16_path.h"

namespace recodo::platform {
namespace {

bool Store(char16_t* out, std::size_t capacity, const std::u16string& text) {
  if (text.size() + 1 > capacity) return false;
  text.copy(out, text.size());
  out[text.size()] = 0;
  return true;
}

}  // namespace

bool FullPath(char16_t* out, std::size_t capacity, const char16_t* path) {
  if (path[0] == 0) return false;
  if (path[0] == u'/') return Store(out, capacity, path);
  // Lexical ".." steps would be wrong after a link: the system takes them.
  char16_t directory[4096];
  if (!CurrentDirectory(directory, 4096)) return false;
  std::u16string result(directory);
  if (result.back() != u'/') result += u'/';
  result += path;
  return Store(out, capacity, result);
}

bool AppendPath(char16_t* path, std::size_t capacity, const char16_t* more) {
  std::u16string result(path);
  std::u16string_view tail(more);
  while (!tail.empty() && tail[0] == u'/' && !result.empty()) tail.remove_prefix(1);
  if (!result.empty() && result.back() != u'/' && !tail.empty()) result += u'/';
  result += tail;
  return Store(path, capacity, result);
}

void RemoveFileSpec(char16_t* path) {
  const std::size_t n = UnitLength(path);
  std::size_t slash = n;
  while (slash > 0 && path[slash - 1] != u'/') --slash;
  if (slash == 0) {
    path[0] = 0;
  } else if (slash == 1) {
    path[1] = 0;  // the root stays
  } else {
    path[slash - 1] = 0;
  }
}

const char16_t* FindFileName(const char16_t* path) {
  const char16_t* name = path;
  for (const char16_t* p = path; *p != 0; ++p)
    if (*p == u'/' && p[1] != 0) name = p + 1;
  return name;
}

const char16_t* FindExtension(const char16_t* path) {
  const char16_t* name = FindFileName(path);
  const char16_t* dot = nullptr;
  const char16_t* p = name;
  for (; *p != 0; ++p)
    if (*p == u'.') dot = p;
  return dot != nullptr ? dot : p;
}

bool IsRelativePath(const char16_t* path) { return path[0] != u'/'; }

std::size_t SystemPrefixLength(const char16_t*) { return 0; }

bool EndsWithSeparator(const char16_t* path) {
  const std::size_t length = UnitLength(path);
  return length > 0 && path[length - 1] == u'/';
}

bool IsDirectory(const char16_t* path) {
  struct stat info;
  return path[0] != 0 && stat(Utf16ToUtf8Path(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::u16string FileNameKey(const char16_t* name) { return name; }

bool MatchesPattern(const char16_t* name, const char16_t* pattern) {
  // Iterative '*' matching with one point to come back to.
  const char16_t* star = nullptr;
  const char16_t* resume = nullptr;
  while (*name != 0) {
    if (*pattern == u'*') {
      star = pattern++;
      resume = name;
    } else if (*pattern != 0 && (*pattern == u'?' || FoldAscii(*pattern) == FoldAscii(*name))) {
      ++pattern;
      ++name;
    } else if (star != nullptr) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == u'*') ++pattern;
  // As on Windows, "*.*" also takes names without a dot.
  if (pattern[0] == u'.' && pattern[1] == u'*' && pattern[2] == 0) return true;
  return *pattern == 0;
}

bool CurrentDirectory(char16_t* out, std::size_t capacity) {
  std::string buffer(4096, '\0');
  if (getcwd(buffer.data(), buffer.size()) == nullptr) return false;
  return Store(out, capacity, PathFromSystem(buffer.c_str()));
}

void FormatByteSize(std::uint64_t bytes, char16_t* out, std::size_t capacity) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  } else {
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 5) {
      value /= 1024;
      ++unit;
    }
    // Three significant digits, cut rather than rounded up.
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    const double scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
    value = static_cast<double>(static_cast<std::uint64_t>(value * scale)) / scale;
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, kUnits[unit]);
  }
  std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() + 1 > capacity) wide.resize(capacity - 1);
  Store(out, capacity, wide);
}

}  // namespace recodo::platform
