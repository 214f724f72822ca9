// The user translation table: file-name prefixes and the accounts that are
// to own files whose names begin with them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/diagnostic_sink.h"
#include "platform/system_error.h"

namespace recodo {

// A rename a prefix asked for that did not happen (a file of the new name
// exists): the file keeps its name.
struct RefusedRename {
  std::u16string from;
  std::u16string to;
  platform::ErrorCode error = 0;
};

class CUserTranslationTable {
 public:
  // Loads the table file at once; a missing file gives an empty table.
  CUserTranslationTable(const char16_t* tablePath, char16_t* target);
  CUserTranslationTable(const CUserTranslationTable&) = delete;
  CUserTranslationTable& operator=(const CUserTranslationTable&) = delete;
  ~CUserTranslationTable();

  bool LoadTable(const char16_t* tablePath);
  // Lines of a NUL-terminated text: its LFs, plus one for a last line
  // without one.
  static std::uint32_t CountLines(const char16_t* text);

  // Gives the file at targetPath to the account of the first row whose
  // prefix starts its name, cutting the prefix off the name when `rename`
  // (never over another file: that rename is refused and returned); the
  // account's lookup and the file's access list go to `diagnostics`.
  std::optional<RefusedRename> ApplyOwnerFromPrefix(bool rename, DiagnosticSink& diagnostics);

  char16_t** prefixes = nullptr;
  char16_t** accounts = nullptr;
  std::uint32_t rowCount = 0;
  char16_t* targetPath = nullptr;  // not owned; the path buffer of the batch run
  // Why the table file could not be read; 0 when it was.
  platform::ErrorCode readError = 0;

 private:
  void Clear();
};

}  // namespace recodo
