// Small text helpers for the diagnostic lines.
#pragma once

#include <string>

#include "base/text_format.h"

namespace recodo::security {

using recodo::Decimal;

// At least four lower-case digits, as printf's "%04x".
inline std::u16string Hex4(unsigned value) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  std::u16string text;
  int shift = 28;
  while (shift > 12 && (value >> shift) == 0) shift -= 4;
  for (; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
  return text;
}

// As printf's "%#x": 0, else 0x and the lower-case digits.
inline std::u16string AlternateHex(unsigned value) {
  if (value == 0) return u"0";
  static const char16_t kDigits[] = u"0123456789abcdef";
  std::u16string digits;
  for (; value != 0; value >>= 4) digits.insert(digits.begin(), kDigits[value & 0xF]);
  return u"0x" + digits;
}

}  // namespace recodo::security
