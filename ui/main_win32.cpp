// The Windows program's entry: the Help window, the dialog or a batch run.
// It lives with the dialog, the one front end above the batch driver that
// only Windows has.
#include <windows.h>

#include <cwchar>

#include "driver/command_line.h"
#include "platform/file_system.h"
#include "driver/help_window.h"
#include "driver/output.h"
#include "driver/program.h"
#include "platform/interrupts.h"
#include "ui/main_dialog.h"
#include "ui/progress_window.h"
#include "ui/resource.h"

namespace {

int ShowUsage() {
  recodo::CHelpWindow help;
  if (!help.Create()) return recodo::kExitHelpOrCancel;
  const std::u16string text = recodo::UsageText();
  help.Printf(L"%ls", reinterpret_cast<const wchar_t*>(text.c_str()));
  help.Run();
  return recodo::kExitHelpOrCancel;
}

// The desktop user's way: the dialog fills the settings, then the one file
// is converted with message boxes for the outcome. `start`: files to begin
// with, as if picked.
int RunDialog(const recodo::DialogStart* start = nullptr) {
  recodo::Settings& settings = recodo::ProgramSettings();
  settings.uiMode = true;
  settings.noConsole = true;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), GetDesktopWindow(),
                                         recodo::MainDialogProc, reinterpret_cast<LPARAM>(start));
  if (result != IDOK) return recodo::kExitHelpOrCancel;
  // A source set left unchosen is detected rather than guessed.
  settings.detectSource = settings.sourceCharsetName == nullptr;
  recodo::ProgressWindow progress;
  return recodo::RunSettings(settings, &progress);
}

bool IsDialogOption(const char16_t* item) {
  for (const wchar_t* spelling : {L"/dialog", L"--dialog", L"-dialog"})
    if (CompareStringOrdinal(reinterpret_cast<const wchar_t*>(item), -1, spelling, -1, TRUE) == CSTR_EQUAL) return true;
  return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using namespace recodo;
  platform::RemoveTemporariesOnInterrupt();
  CommandLineItems items;
  if (commandLine != nullptr && commandLine[0] != 0) items = SplitCommandLine(reinterpret_cast<char16_t*>(commandLine));
  // "/?" first asks for the usage, whatever follows it: never a pattern.
  if (items.count >= 1 && std::wcscmp(reinterpret_cast<const wchar_t*>(items.items[0]), L"/?") == 0)
    return ShowUsage();
  if (items.count == 0) return RunDialog();
  // "/dialog" and files (Send To, a shortcut): the dialog, the first file
  // its source.
  DialogStart start;
  bool dialog = false;
  for (int i = 0; i < items.count; ++i) {
    if (IsDialogOption(items.items[i])) {
      dialog = true;
    } else if (recodo::LooksLikeOption(items.items[i]) && !recodo::platform::Exists(items.items[i])) {
      continue;  // the dialog's own choices stand for the flags
    } else if (start.files++ == 0) {
      start.source = items.items[i];
    }
  }
  if (dialog) return RunDialog(&start);
  const int exitCode = RunItems(ProgramSettings(), items.items, items.count, ExtraItems::Ignored);
  // The runs that end early leave their console too, once it is read.
  ReleaseStreams();
  return exitCode;
}
