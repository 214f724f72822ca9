#include "settings.h"

#include <algorithm>

namespace recodo {

Settings& ProgramSettings() {
  static Settings settings;
  return settings;
}

bool CopyPath(char16_t (&buffer)[kPathCapacity], const char16_t* text) {
  std::size_t length = 0;
  while (text[length] != 0) {
    if (++length >= kPathCapacity) return false;
  }
  std::copy(text, text + length + 1, buffer);
  return true;
}

}  // namespace recodo
