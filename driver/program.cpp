#include "program.h"

#include "batch_run.h"
#include "charset_resolution.h"
#include "command_line.h"
#include "filter_run.h"
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

std::u16string BannerLine() {
  char16_t version[64] = {};
  GetVersionString(nullptr, u"FileVersion", version, 64);
  return BuildBannerLine(version);
}

namespace {

// Streams, character sets, batch: the run once the streams are set up.
int RunConfigured(Settings& settings) {
  if (settings.guessOnly) return RunGuessOnly(settings);
  std::u16string lines;
  const int resolved = ResolveCharsets(settings, lines);
  Print(lines);
  if (resolved != 0) return resolved;
  if (ReadsStandardInput(settings)) return RunFilter(settings);
  if (settings.keepSecurity) AdjustProcessPrivileges(DiagnosticStream());
  return RunBatch(settings);
}

}  // namespace

int RunItems(Settings& settings, char16_t* const* items, int count, const char16_t* const* typed) {
  // A path that does not fit its buffer is named once the output is set up.
  const char16_t* tooLong = nullptr;
  int tooLongCode = 0;
  if (!CopyPath(settings.sourcePath, items[0])) {
    tooLong = items[0];
    tooLongCode = 2;
  }
  std::u16string notices;
  for (int i = 1; i < count; ++i) {
    const char16_t* asTyped = typed != nullptr ? typed[i] : items[i];
    const OptionResult applied = ApplyOption(settings, items[i]);
    if (applied == OptionResult::PathTooLong && tooLong == nullptr) {
      tooLong = asTyped;
      tooLongCode = 1;
    }
    // Any other item (a second file name, say) is ignored as before.
    if (applied == OptionResult::Unknown && LooksLikeOption(items[i]))
      notices += u"Unknown option ignored: " + std::u16string(asTyped) + u"\n";
  }
  settings.messagesOnErrorStream = WritesStandardOutput(settings);
  SetUpStreams(settings);
  PrintNotice(notices);
  if (tooLong != nullptr) {
    Print(u"Invalid argument: \"" + std::u16string(tooLong) + u"\" is too long for a path.\n");
    return tooLongCode;
  }
  return RunConfigured(settings);
}

int RunSettings(Settings& settings) {
  SetUpStreams(settings);
  return RunConfigured(settings);
}

}  // namespace recodo
