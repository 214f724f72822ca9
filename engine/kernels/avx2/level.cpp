#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::avx2 {

void Fill(Table& table) { FillAll(table); }

}  // namespace recodo::kernels::avx2
