// The baseline kernels: SSE2, which every x86-64 processor has, and SSSE3
// where the processor has it for the ones that shuffle bytes.
#pragma once

#include "engine/kernels/dispatch.h"

namespace recodo::kernels::baseline {

#include "engine/kernels/entries.inc"

}  // namespace recodo::kernels::baseline
