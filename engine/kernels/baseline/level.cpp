#include "engine/kernels/baseline/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::baseline {

void Fill(Table& table, bool ssse3) {
  table.utf8Measure = Utf8Measure;
  table.utf8Size = Utf8Size;
  table.singleDecode = SingleDecode;
  table.singleEncode = SingleEncode;
  table.swapBytes = SwapBytes;
  table.breakFree = BreakFree;
  if (ssse3) {
    table.utf8Decode = Utf8Decode;
    table.utf8Encode = Utf8Encode;
  }
}

}  // namespace recodo::kernels::baseline
