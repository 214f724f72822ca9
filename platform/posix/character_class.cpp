#include "platform/character_class.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace recodo::platform {

bool IsAlphanumeric(std::uint16_t unit) {
  // The C locale knows no letters past ASCII; a UTF-8 locale of our own
  // classifies as Windows does, without touching the process's locale.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (unicode == static_cast<locale_t>(0)) return std::iswalnum(static_cast<std::wint_t>(unit)) != 0;
  return iswalnum_l(static_cast<std::wint_t>(unit), unicode) != 0;
}

}  // namespace recodo::platform
