// The rule a conversion applies to detection's answer.
#pragma once

#include "engine/charset_codes.h"

namespace recodo {

// The set a conversion takes when detection answers ISO-8859-1: the text's
// bytes 0x80..0x9F are C1 controls there, which real ISO-8859-1 text never
// holds; in Windows text they are quotes, dashes and the euro sign. The
// exported functions keep detection's own answer: other programs rely on it.
CharsetCode ConversionSetOf(CharsetCode detected, bool c1Seen);

}  // namespace recodo
