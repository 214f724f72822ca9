#include "platform/character_class.h"

#include <cwctype>

namespace recodo::platform {

bool IsAlphanumeric(std::uint16_t unit) { return std::iswalnum(static_cast<std::wint_t>(unit)) != 0; }

}  // namespace recodo::platform
