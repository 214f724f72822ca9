#include "engine/kernels/avx512/kernels.h"
#include "engine/kernels/levels.h"

namespace recodo::kernels::avx512 {

void Fill(Table& table, bool vbmi, bool vbmi2) {
  table.utf8Measure = Utf8Measure;
  table.utf8Size = Utf8Size;
  table.unitsBefore = UnitsBefore;
  table.singleEncode = SingleEncode;
  if (vbmi) table.singleDecode = SingleDecode;
  if (vbmi && vbmi2) table.utf8Decode = Utf8Decode;
  if (vbmi2) {
    // Masked stores end a text of any length without a padded tail.
    table.utf8Encode = Utf8Encode;
    table.utf8EncodeFrom = 0;
  }
}

}  // namespace recodo::kernels::avx512
