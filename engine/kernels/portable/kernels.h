// The portable kernels: plain C++, the fallback for any processor and the
// entries a vector level leaves to the level below.
#pragma once

#include "engine/kernels/dispatch.h"

namespace recodo::kernels::portable {

#include "engine/kernels/entries.inc"

}  // namespace recodo::kernels::portable
