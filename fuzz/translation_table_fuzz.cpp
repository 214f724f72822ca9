// Table files of any content load into a table that keeps its promises.
#include "file_input.h"
#include "fuzz_input.h"
#include "security/user_translation_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string path = fuzz::WriteInputFile(data, size, "table.csv");
  recodo::CUserTranslationTable table(path.c_str(), nullptr);
  for (std::uint32_t i = 0; i < table.rowCount; ++i)
    fuzz::Check(table.prefixes[i] != nullptr && table.prefixes[i][0] != 0 && table.accounts[i] != nullptr);
  if (table.prefixes != nullptr) fuzz::Check(table.prefixes[table.rowCount] == nullptr);
  return 0;
}
