// What each level's folder gives the dispatch table: it fills the entries
// it has kernels for and leaves the others to the level below.
#pragma once

#include "engine/kernels/dispatch.h"

namespace recodo::kernels {

namespace portable {
void Fill(Table& table);
}
namespace baseline {
// SSE2 everywhere on x86-64; the shuffling kernels where SSSE3 is present.
void Fill(Table& table, bool ssse3);
}
namespace avx2 {
void Fill(Table& table);
}
namespace avx512 {
// F, BW and VL everywhere the level runs; the permuting and compressing
// kernels where VBMI and VBMI2 are present.
void Fill(Table& table, bool vbmi, bool vbmi2);
}

}  // namespace recodo::kernels
