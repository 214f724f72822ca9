// Path helpers on buffers of the program's path capacity. Each returns false
// (leaving the buffer unchanged) rather than write past the capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace recodo::platform {

// Path buffers, in UTF-16 units with the terminator. POSIX paths may be far
// longer than Windows' classic limit.
#if defined(_WIN32)
inline constexpr std::size_t kPathCapacity = 260;
#else
inline constexpr std::size_t kPathCapacity = 4096;
#endif

// The path the system opens for a path the user gave: made absolute against
// the current directory. On Windows '/' is a separator too and "." and ".."
// steps are resolved as the system resolves them (GetFullPathNameW); POSIX
// leaves ".." to the system, which takes it after following links. False
// for an empty path or one that does not fit.
bool FullPath(char16_t* out, std::size_t capacity, const char16_t* path);
// The two parts joined by one separator.
bool AppendPath(char16_t* path, std::size_t capacity, const char16_t* more);
// Cuts the last component off; a bare file name becomes empty.
void RemoveFileSpec(char16_t* path);
// The last component (points into the path).
const char16_t* FindFileName(const char16_t* path);
// The extension of the last component from its last '.', or its end.
const char16_t* FindExtension(const char16_t* path);
bool IsRelativePath(const char16_t* path);
// How many leading units of a path are a prefix of the system's own, never
// a pattern: "\\?\" and "\\.\" on Windows; none on POSIX.
std::size_t SystemPrefixLength(const char16_t* path);
// A path that ends with a separator, which names a folder, never a file.
bool EndsWithSeparator(const char16_t* path);
bool IsDirectory(const char16_t* path);
// A file name as the file system compares names: upper case on Windows,
// where names ignore case, and as it is on POSIX.
std::u16string FileNameKey(const char16_t* name);
// A name matches a pattern of '*' and '?', ignoring case.
bool MatchesPattern(const char16_t* name, const char16_t* pattern);
bool CurrentDirectory(char16_t* out, std::size_t capacity);
// A short size with its unit, such as "1.50 KB".
void FormatByteSize(std::uint64_t bytes, char16_t* out, std::size_t capacity);

}  // namespace recodo::platform
