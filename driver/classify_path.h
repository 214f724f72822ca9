// What a source or destination item names.
#pragma once

namespace recodo {

inline constexpr int kPlainPath = 0;
inline constexpr int kExistingDirectory = 1;
inline constexpr int kWildcardPath = 2;

// 2 for a path with '*' or '?', else 1 for an existing directory, else 0.
int ClassifyPath(const char16_t* path);

}  // namespace recodo
