#include "markup_characters.h"

#include <cwctype>

#if !defined(_WIN32)
#include <clocale>
#include <locale.h>
#endif

namespace recodo::markup {

bool IsNameCharacter(std::uint16_t c) {
  if (c == u'_') return true;
  if (c < 0x80) return (c >= u'0' && c <= u'9') || (FoldAscii(c) >= u'a' && FoldAscii(c) <= u'z');
#if defined(_WIN32)
  return std::iswalnum(static_cast<std::wint_t>(c)) != 0;
#else
  // The C locale knows no letters past ASCII; a UTF-8 locale of our own
  // classifies as Windows does, without touching the process's locale.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (unicode == static_cast<locale_t>(0)) return std::iswalnum(static_cast<std::wint_t>(c)) != 0;
  return iswalnum_l(static_cast<std::wint_t>(c), unicode) != 0;
#endif
}

}  // namespace recodo::markup
