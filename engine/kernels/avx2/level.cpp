#include "engine/kernels/levels.h"

namespace recodo::kernels::avx2 {

void Fill(Table&) {}

}  // namespace recodo::kernels::avx2
