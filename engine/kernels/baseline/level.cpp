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
    // Below one window the encoder has nothing to take.
    table.utf8EncodeFrom = 8;
  }
}

}  // namespace recodo::kernels::baseline
