// A path or a name as the program's messages show it: in double quotes.
#pragma once

#include <string>
#include <string_view>

namespace recodo {

inline std::u16string Quoted(std::u16string_view text) {
  std::u16string quoted;
  quoted.reserve(text.size() + 2);
  quoted += u'"';
  quoted += text;
  quoted += u'"';
  return quoted;
}

}  // namespace recodo
