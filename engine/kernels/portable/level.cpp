#include "engine/kernels/levels.h"
#include "engine/kernels/portable/kernels.h"

namespace recodo::kernels::portable {

// Addresses are taken in code, relative to it: the table is filled at run
// time and needs no relocated constant data.
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

}  // namespace recodo::kernels::portable
