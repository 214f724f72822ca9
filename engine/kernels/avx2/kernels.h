// The AVX2 kernels, with BMI1, BMI2 and POPCNT: twice the width of the
// baseline, in files compiled for those instructions alone.
#pragma once

#include "engine/kernels/dispatch.h"

namespace recodo::kernels::avx2 {

#include "engine/kernels/entries.inc"

}  // namespace recodo::kernels::avx2
