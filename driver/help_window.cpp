#include "help_window.h"

#include <cstdarg>
#include <cwchar>

#include "help_resource.h"

namespace recodo {
namespace {

constexpr int kTextCapacity = 4096;
constexpr int kMargin = 10;

void FitTextToClient(HWND window, UINT flags) {
  RECT client;
  GetClientRect(window, &client);
  SetWindowPos(GetDlgItem(window, IDC_HELP_TEXT), nullptr, 0, 0, client.right - kMargin, client.bottom - kMargin,
               flags);
}

}  // namespace

INT_PTR CALLBACK HelpDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowPos(window, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
      FitTextToClient(window, SWP_NOMOVE);
      break;
    case WM_SIZING:
      FitTextToClient(window, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case WM_SIZE:
      // WM_SIZING comes before the frame takes its new size; fitting again
      // once it has keeps the text from staying one step behind the drag.
      // A minimized window has no client area to fit.
      if (wParam != SIZE_MINIMIZED) FitTextToClient(window, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      break;
    default:
      break;
  }
  return FALSE;
}

bool CHelpWindow::Create() {
  m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HELP), GetDesktopWindow(),
                              HelpDialogProc, 0);
  return m_hWnd != nullptr;
}

void CHelpWindow::Printf(const wchar_t* format, ...) {
  static wchar_t text[kTextCapacity];
  va_list arguments;
  va_start(arguments, format);
  const int n = vswprintf(text, kTextCapacity, format, arguments);
  va_end(arguments);
  if (n < 0) text[kTextCapacity - 1] = 0;  // cut at the capacity
  SetDlgItemTextW(m_hWnd, IDC_HELP_TEXT, text);
}

void CHelpWindow::Run() {
  if (m_hWnd == nullptr) return;
  ShowWindow(m_hWnd, SW_SHOW);
  MSG message;
  while (GetMessageW(&message, m_hWnd, 0, 0) > 0) IsDialogMessageW(m_hWnd, &message);
}

}  // namespace recodo
