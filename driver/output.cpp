#include "output.h"

#include <ctime>
#include <string>

#include "platform/local_time.h"
#include "platform/standard_streams.h"
#include "platform/system_error.h"

namespace recodo {
namespace {

platform::OutputChannel standardOutput;
platform::OutputChannel diagnostics;
platform::OutputChannel notices;
// The console the run's lines went to: one released as it is (its parent's,
// or one a run that asked for none opened to say what failed), or a window
// of its own that waits for a key.
enum class Terminal { None, Attached, Allocated };
Terminal terminal = Terminal::None;
// The log, where its lines go; a failure to write them is said once.
std::u16string logName;
bool logFailed = false;
bool silentRun = false;

std::u16string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  const std::tm local = platform::LocalTime(now);
  char text[64] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

// A script or test that gave the process an output gets the text there; a
// prompt that started it shows it in its own window; otherwise (Explorer, a
// dropped file) the run opens a console of its own.
void OpenTerminal(bool errorStream, bool ownWindowWaits = true) {
  if (standardOutput.OpenInherited(errorStream)) return;
  if (platform::AttachParentConsole()) {
    if (standardOutput.OpenConsole()) {
      terminal = Terminal::Attached;
      return;
    }
    platform::ReleaseConsole();
  }
  if (platform::AllocateConsole()) terminal = ownWindowWaits ? Terminal::Allocated : Terminal::Attached;
  if (!standardOutput.OpenConsole()) standardOutput.OpenInherited(false);
}

}  // namespace

void SetUpStreams(const Settings& settings, bool logRefused) {
  logName.clear();
  logFailed = false;
  silentRun = settings.silent;
  // Diagnostics are discarded unless asked for below.
  diagnostics.Close();
  notices.Close();
  if (!settings.silent) notices.OpenNotices();
  if (!settings.noConsole) {
    OpenTerminal(settings.messagesOnErrorStream);
    return;
  }
  if (settings.logPath[0] != 0 && logRefused) {
    // The run says why where it would have printed without the log.
    if (settings.silent)
      standardOutput.Close();
    else
      OpenTerminal(settings.messagesOnErrorStream, false);
    return;
  }
  if (settings.logPath[0] != 0) {
    platform::ErrorCode error = 0;
    if (!standardOutput.OpenAppend(settings.logPath, &error)) {
      // A run whose lines would vanish says so where it would have printed
      // without the log, and prints there; "/silent" stays silent.
      // A run that asked for no console does not wait for a key there.
      if (settings.silent) return;
      OpenTerminal(settings.messagesOnErrorStream, false);
      Print(u"The log file \"" + std::u16string(settings.logPath) + u"\" could not be opened: " +
            platform::SystemErrorText(error));
      return;
    }
    if (settings.logLevel == 1) diagnostics.OpenAppend(settings.logPath, &error);
    logName = settings.logPath;
    Print(u"\n[" + LocalTimeText() + u"] - Start\n\n");
    return;
  }
  // Silent, or the dialog: ordinary messages go nowhere.
  standardOutput.Close();
  if (settings.logLevel == 1 && !diagnostics.OpenInherited(true)) diagnostics.OpenConsole();
}

namespace {

// A log that cannot take a line is said once, where the run would have
// printed without it, and the run's exit code says it failed.
void WriteLogged(platform::OutputChannel& channel, std::u16string_view text) {
  platform::ErrorCode error = 0;
  if (channel.Write(text, &error) || logName.empty() || logFailed) return;
  logFailed = true;
  if (silentRun) return;
  platform::OutputChannel terminal;
  if (!terminal.OpenInherited(true) && !terminal.OpenConsole()) return;
  terminal.Write(u"The log file \"" + logName + u"\" could not be written: " + platform::SystemErrorText(error));
}

}  // namespace

void Print(std::u16string_view text) { WriteLogged(standardOutput, text); }

void PrintDiagnostic(std::u16string_view text) { WriteLogged(diagnostics, text); }

int WithOutputFailures(int exitCode) { return exitCode == 0 && logFailed ? 1 : exitCode; }

DiagnosticSink& DiagnosticStream() {
  struct Stream final : DiagnosticSink {
    void Write(std::u16string_view text) override { PrintDiagnostic(text); }
  };
  static Stream stream;
  return stream;
}

void PrintNotice(std::u16string_view text) {
  if (notices.IsOpen())
    notices.Write(text);
  else if (!silentRun)
    Print(text);
}

bool OutputIsInteractive() { return standardOutput.IsInteractive(); }

void ShowProgress(std::u16string_view line) {
  static std::size_t shown = 0;  // units of the line on screen
  std::u16string text = u"\r";
  text += line;
  if (line.size() < shown) {
    // Spaces over what is left of the longer line, then back to its end.
    text.append(shown - line.size(), u' ');
    text += u"\r";
    text += line;
  }
  shown = line.size();
  standardOutput.Write(text);
}

void ReleaseStreams() {
  if (terminal == Terminal::None) return;
  // A window of the run's own closes with it: it stays until it is read.
  if (terminal == Terminal::Allocated) {
    Print(u"\nPress any key to close this window.");
    platform::WaitForKeyPress();
  }
  standardOutput.Close();
  platform::ReleaseConsole();
  terminal = Terminal::None;
}

}  // namespace recodo
