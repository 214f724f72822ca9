#include "markup_characters.h"

#include "platform/character_class.h"

namespace recodo::markup {

bool IsNameCharacter(std::uint16_t c) {
  if (c == u'_') return true;
  if (c < 0x80) return (c >= u'0' && c <= u'9') || (FoldAscii(c) >= u'a' && FoldAscii(c) <= u'z');
  return platform::IsAlphanumeric(c);
}

}  // namespace recodo::markup
