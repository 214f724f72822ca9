// Numbers in the program's printed lines.
#pragma once

#include <string>

namespace recodo {

inline std::u16string Decimal(long long value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

}  // namespace recodo
