// filters.txt of any content: the decoder stays inside its destination and
// the filter list always ends in two NULs.
#include <algorithm>
#include <vector>

#include "file_input.h"
#include "fuzz_input.h"
#include "ui/file_filters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  std::vector<char16_t> destination(64 + 8, u'\0');
  std::fill(destination.begin() + 64, destination.end(), u'#');  // guard units past the capacity
  recodo::DecodeFilterText(bytes.data(), bytes.size(), destination.data(), 64 * 2);
  fuzz::Check(destination[63] == 0);
  fuzz::Check(std::all_of(destination.begin() + 64, destination.end(), [](char16_t c) { return c == u'#'; }));

  const std::u16string path = fuzz::WriteInputFile(data, size, "filters.txt");
  char16_t filters[recodo::kFilterBufferUnits];
  recodo::BuildFilterBuffer(filters, path.c_str());
  std::size_t i = 0;
  while (i + 1 < recodo::kFilterBufferUnits && !(filters[i] == 0 && filters[i + 1] == 0)) ++i;
  fuzz::Check(i + 1 < recodo::kFilterBufferUnits);
  return 0;
}
