// Rewriting the character set an XML declaration or an HTML meta tag names,
// over a whole text at once: the plain reference the product's streaming
// rewriter is held against.
#pragma once

#include <cstdint>

#include "working_text.h"

namespace recodo {

// Replaces the units from `start` up to `end` (offsets from the view) by the
// replacement; the text gets a new buffer with the view at its start. False,
// with nothing changed, when memory runs out.
bool ReplaceTextSpan(WorkingText& text, std::uint32_t start, std::uint32_t end, const char16_t* replacement);

// Puts `destinationName` into the first XML declaration's encoding value
// (when `rewriteXml`) and after "charset=" in the first fitting meta tag's
// content value (when `rewriteHtml`); each switch turns off once its
// declaration is rewritten. False only when memory ran out.
bool RewriteEncodingDeclarations(WorkingText& text, const char16_t* destinationName, bool& rewriteXml,
                                 bool& rewriteHtml);

}  // namespace recodo
