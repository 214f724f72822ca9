// Giving a converted file to the account its name's prefix stands for.
#include <optional>
#include <string>

#include "base/ascii_case.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "security/account_owner.h"
#include "security/user_translation_table.h"

namespace recodo {
namespace {

bool IsDelimiter(char16_t c) {
  return c == u'-' || c == u'_' || c == u'.' || c == u'#' || c == u',' || c == u';';
}

// The prefix starts the name and is followed by a delimiter or its end.
bool Fits(const std::u16string& baseName, const char16_t* prefix) {
  std::size_t i = 0;
  for (; prefix[i] != 0; ++i)
    if (i >= baseName.size() || FoldAscii(baseName[i]) != FoldAscii(prefix[i])) return false;
  return i == baseName.size() || IsDelimiter(baseName[i]);
}

}  // namespace

std::optional<RefusedRename> CUserTranslationTable::ApplyOwnerFromPrefix(bool rename, DiagnosticSink& diagnostics) {
  std::optional<RefusedRename> refused;
  if (targetPath == nullptr) return refused;
  std::u16string baseName(platform::FindFileName(targetPath));
  baseName.resize(baseName.size() - std::u16string_view(platform::FindExtension(baseName.c_str())).size());

  bool renamed = false;
  std::uint32_t taken = rowCount;
  ownership::AccountQuery query;
  for (std::uint32_t i = 0; i < rowCount; ++i) {
    if (!Fits(baseName, prefixes[i])) continue;
    // A name is cut once: a later fitting row leaves the shortened name alone.
    if (rename && !renamed) {
      const std::size_t cut = std::u16string_view(prefixes[i]).size() + 1;
      const char16_t* fileName = platform::FindFileName(targetPath);
      const std::u16string directory(targetPath, static_cast<std::size_t>(fileName - targetPath));
      // A name that is the prefix alone has nothing to be renamed to.
      if (std::u16string_view(fileName).size() > cut) {
        const std::u16string newPath = directory + (fileName + cut);
        // Never over another file, which may be another source of the run
        // or another account's file; only a rename that happened moves the
        // path on.
        platform::ErrorCode error = platform::NameTooLongError();
        if (newPath.size() < platform::kPathCapacity && platform::RenameNoReplace(targetPath, newPath.c_str(), &error)) {
          newPath.copy(targetPath, newPath.size());
          targetPath[newPath.size()] = 0;
          renamed = true;
        } else {
          refused = RefusedRename{targetPath, newPath, error};
        }
      }
    }
    query = ownership::QueryAccount(accounts[i], diagnostics);
    if (query.taken) {
      taken = i;
      break;
    }
  }
  if (taken != rowCount) ownership::GiveFileTo(accounts[taken], query, targetPath, diagnostics);
  return refused;
}

}  // namespace recodo
