// The resizable window that shows the usage text.
#pragma once

#include <windows.h>

namespace recodo {

class CHelpWindow {
 public:
  // Creates the hidden window from its dialog template; false without one.
  bool Create();
  // Formats the text (wide printf conventions) into the edit control; a
  // text past 4095 characters is cut there.
  void Printf(const wchar_t* format, ...);
  // Shows the window and runs its messages until it is closed.
  void Run();

  HWND m_hWnd = nullptr;
};

INT_PTR CALLBACK HelpDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace recodo
