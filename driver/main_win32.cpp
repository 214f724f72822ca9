// The program's entry: the Help window, the dialog or a batch run.
#include <windows.h>

#include <cwchar>

#include "command_line.h"
#include "help_window.h"
#include "program.h"

namespace {

int ShowUsage() {
  recodo::CHelpWindow help;
  if (!help.Create()) return recodo::kExitHelpOrCancel;
  const std::u16string text = recodo::UsageText();
  help.Printf(L"%ls", reinterpret_cast<const wchar_t*>(text.c_str()));
  help.Run();
  return recodo::kExitHelpOrCancel;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using namespace recodo;
  CommandLineItems items;
  if (commandLine != nullptr && commandLine[0] != 0) items = SplitCommandLine(reinterpret_cast<char16_t*>(commandLine));
  if (items.count == 1 && std::wcscmp(reinterpret_cast<const wchar_t*>(items.items[0]), L"/?") == 0)
    return ShowUsage();
  // Until the dialog exists, an empty command line shows the usage text.
  if (items.count == 0) return ShowUsage();
  return RunItems(ProgramSettings(), items.items, items.count);
}
