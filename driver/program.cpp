#include "program.h"

#include "batch_run.h"
#include "charset_resolution.h"
#include "command_line.h"
#include "guess_run.h"
#include "output.h"
#include "security/privileges.h"
#include "usage_text.h"
#include "version_string.h"

namespace recodo {

std::u16string UsageText() {
  char16_t version[64] = {};
  GetVersionString(nullptr, u"FileVersion", version, 64);
  return BuildUsageText(version);
}

int RunItems(Settings& settings, char16_t* const* items, int count) {
  // A path that does not fit its buffer is named once the output is set up.
  const char16_t* tooLong = nullptr;
  int tooLongCode = 0;
  if (!CopyPath(settings.sourcePath, items[0])) {
    tooLong = items[0];
    tooLongCode = 2;
  }
  for (int i = 1; i < count; ++i) {
    if (ApplyOption(settings, items[i]) == OptionResult::PathTooLong && tooLong == nullptr) {
      tooLong = items[i];
      tooLongCode = 1;
    }
  }
  if (tooLong != nullptr) {
    SetUpStreams(settings);
    Print(u"Invalid argument: \"" + std::u16string(tooLong) + u"\" is too long for a path.\n");
    return tooLongCode;
  }
  return RunSettings(settings);
}

int RunSettings(Settings& settings) {
  SetUpStreams(settings);
  if (settings.guessOnly) return RunGuessOnly(settings);
  std::u16string lines;
  const int resolved = ResolveCharsets(settings, lines);
  Print(lines);
  if (resolved != 0) return resolved;
  if (settings.keepSecurity) AdjustProcessPrivileges();
  return RunBatch(settings);
}

}  // namespace recodo
