// Line-break rewriting with the output limit as a parameter, so that the
// refusal of outputs past 4 GiB can be shown on small texts.
#pragma once

#include <cstdint>

#include "charset_codes.h"

namespace recodo {

std::int32_t RewriteLineBreaks(std::int32_t type, const std::uint16_t* src, std::uint32_t srcLength,
                               std::uint16_t* dst, std::uint32_t* dstLength, std::uint64_t maxOutputBytes);

}  // namespace recodo
