#include "engine/kernels/baseline/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::baseline {

void Fill(Table& table, bool ssse3) {
  const Table below = table;
  FillAll(table);
  if (!ssse3) {
    // Decoding and encoding shuffle bytes: without SSSE3, the level below.
    table.utf8Decode = below.utf8Decode;
    table.utf8Encode = below.utf8Encode;
  } else {
    table.singleDecode = SingleDecodeShuffled;
    // Measured: below 64 units the windows and the padded tail lose to one
    // unit at a time.
    table.utf8EncodeFrom = 64;
  }
}

}  // namespace recodo::kernels::baseline
