// ISO-8859-1 bytes as UTF-8: what a correct conversion of a Latin-1 file
// gives, worked out without the engine.
#pragma once

#include <string>
#include <string_view>

namespace recodo::test {

inline std::string Latin1AsUtf8(std::string_view latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace recodo::test
