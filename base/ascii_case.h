// Comparisons that fold the ASCII letters A-Z only, as names, options and
// paths are compared throughout the program.
#pragma once

#include <string_view>

namespace recodo {

template <typename Unit>
constexpr Unit FoldAscii(Unit c) {
  return c >= Unit('A') && c <= Unit('Z') ? Unit(c + ('a' - 'A')) : c;
}

constexpr bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

}  // namespace recodo
