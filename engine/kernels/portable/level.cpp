#include "engine/kernels/levels.h"
#include "engine/kernels/portable/kernels.h"

namespace recodo::kernels::portable {

void Fill(Table& table) { FillAll(table); }

}  // namespace recodo::kernels::portable
