// The baseline kernels: SSE2, which every x86-64 processor has, and SSSE3
// where the processor has it for the ones that shuffle bytes.
#pragma once

#include "engine/kernels/dispatch.h"

namespace recodo::kernels::baseline {

#include "engine/kernels/entries.inc"

// Single-byte decoding through byte shuffles, where SSSE3 is present.
bool SingleDecodeShuffled(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst);

}  // namespace recodo::kernels::baseline
