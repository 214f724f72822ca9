#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::avx2 {

void Fill(Table& table) {
  FillAll(table);
  // Measured: below 64 units the windows, which need 33 units ahead, and
  // the padded tail lose to one unit at a time.
  table.utf8EncodeFrom = 64;
}

}  // namespace recodo::kernels::avx2
