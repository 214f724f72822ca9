#include "program.h"

#include "batch_run.h"
#include "charset_resolution.h"
#include "command_line.h"
#include "conversion_switches.h"
#include "exit_codes.h"
#include "filter_run.h"
#include "guess_run.h"
#include "output.h"
#include "platform/file_system.h"
#include "run_plan.h"
#include "security/privileges.h"
#include "usage_text.h"
#include "usual_spellings.h"
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

// A line-break type no name stands for removes every line break: said
// once, so that a mistyped name is seen.
std::u16string LineBreakWarning(const Settings& settings) {
  std::int32_t type = 0;
  if (settings.lineBreakName == nullptr || LineBreakTypeOf(settings.lineBreakName, &type)) return u"";
  return u"Warning: \"" + std::u16string(settings.lineBreakName) +
         u"\" is no line-break type (DOS, UNIX or MAC); line breaks are removed.\n";
}

// Streams, character sets, batch: the run once the streams are set up.
int RunConfigured(Settings& settings, FileProgress* shown = nullptr) {
  if (settings.guessOnly) return RunGuessOnly(settings);
  std::u16string lines;
  const int resolved = ResolveCharsets(settings, lines);
  Print(lines);
  if (resolved != 0) return resolved;
  Print(LineBreakWarning(settings));
  if (ReadsStandardInput(settings) || WritesStandardOutput(settings)) return RunFilter(settings);
  if (settings.keepSecurity) AdjustProcessPrivileges(DiagnosticStream());
  return RunBatch(settings, shown);
}

// The streams, unless the log is the run's own source or destination: then
// the run ends at once, saying so where it would have printed without it.
int SetUpStreamsOrRefuseLog(const Settings& settings) {
  std::u16string refusal;
  const int conflict = LogConflict(settings, &refusal);
  SetUpStreams(settings, conflict != 0);
  Print(refusal);
  return conflict;
}

}  // namespace

int RunItems(Settings& settings, char16_t* const* items, int count, ExtraItems extra) {
  // The items as the option table spells them; the settings point into
  // them for the rest of the run.
  static std::vector<std::u16string> spelled;
  spelled.clear();
  spelled.reserve(static_cast<std::size_t>(count));
  // A path that does not fit its buffer is named once the output is set up.
  const char16_t* tooLong = nullptr;
  int tooLongCode = 0;
  if (!CopyPath(settings.sourcePath, items[0])) {
    tooLong = items[0];
    tooLongCode = kExitNotRead;
  }
  std::u16string notices;
  for (int i = 1; i < count; ++i) {
    const char16_t* asTyped = items[i];
    spelled.push_back(TableSpelling(asTyped));
    const OptionResult applied = ApplyOption(settings, spelled.back().data());
    if (applied == OptionResult::PathTooLong && tooLong == nullptr) {
      tooLong = asTyped;
      tooLongCode = kExitNotWritten;
    }
    if (applied != OptionResult::Unknown) continue;
    // A file the shell expanded a pattern into, or named so: another
    // source, where sources may be several. (An absolute path looks like an
    // option, and is a source when it names something.)
    if (asTyped[0] == u'-' && asTyped[1] == 0) {
      notices += u"Ignored: - (the standard input is read only as the first item)\n";
    } else if (extra == ExtraItems::Sources && (platform::Exists(asTyped) || !LooksLikeOption(asTyped))) {
      settings.moreSources.emplace_back(asTyped);
    } else if (LooksLikeOption(asTyped)) {
      notices += u"Unknown option ignored: " + std::u16string(asTyped) + u"\n";
    }
  }
  settings.messagesOnErrorStream = WritesStandardOutput(settings);
  const int refused = SetUpStreamsOrRefuseLog(settings);
  PrintNotice(notices);
  if (refused != 0) return refused;
  if (tooLong != nullptr) {
    Print(u"Invalid argument: \"" + std::u16string(tooLong) + u"\" is too long for a path.\n");
    return tooLongCode;
  }
  return WithOutputFailures(RunConfigured(settings));
}

int RunSettings(Settings& settings, FileProgress* shown) {
  if (const int refused = SetUpStreamsOrRefuseLog(settings)) return refused;
  return WithOutputFailures(RunConfigured(settings, shown));
}

}  // namespace recodo
