#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::avx2 {

void Fill(Table& table) {
  FillAll(table);
  // Below one window the encoder has nothing to take.
  table.utf8EncodeFrom = 16;
}

}  // namespace recodo::kernels::avx2
