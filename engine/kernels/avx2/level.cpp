#include "engine/kernels/avx2/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::avx2 {

void Fill(Table& table) {
  table.utf8Measure = Utf8Measure;
  table.utf8Decode = Utf8Decode;
  table.utf8Size = Utf8Size;
  table.utf8Encode = Utf8Encode;
  table.singleDecode = SingleDecode;
  table.singleEncode = SingleEncode;
  table.swapBytes = SwapBytes;
  table.breakFree = BreakFree;
}

}  // namespace recodo::kernels::avx2
