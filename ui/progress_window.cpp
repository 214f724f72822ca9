#include "progress_window.h"

#include <commctrl.h>

#include "driver/progress_meter.h"
#include "resource.h"

namespace recodo {
namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 118;
constexpr int kMargin = 12;
constexpr int kBarRange = 1000;

HWND Child(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h,
           HFONT font) {
  HWND child = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// Dispatches what is waiting for this thread's windows, the progress
// window's keys (Esc, Enter on Cancel) as a dialog takes them.
void Pump(HWND window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (window != nullptr && IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

ProgressWindow::~ProgressWindow() {
  Close();
  if (font_ != nullptr) DeleteObject(font_);
}

void ProgressWindow::BeginFile(const char16_t* name) {
  Close();
  name_ = reinterpret_cast<const wchar_t*>(name);
  start_ = Clock::now();
  cancelled_ = false;
}

void ProgressWindow::EndFile() { Close(); }

void ProgressWindow::Progress(std::uint64_t done, std::uint64_t total) {
  const Clock::time_point now = Clock::now();
  if (window_ == nullptr) {
    // A conversion done within its first second shows nothing.
    if (now - start_ < ProgressMeter::kQuiet || !Create()) return;
    shown_ = now - ProgressMeter::kInterval;
  }
  if (now - shown_ >= ProgressMeter::kInterval / 2) {
    Show(done, total);
    shown_ = now;
  }
  Pump(window_);
}

bool ProgressWindow::Create() {
  static bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassW(&windowClass) != 0;
  }();
  if (!registered) return false;
  if (font_ == nullptr) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
  }
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, style, FALSE);
  const int w = frame.right - frame.left;
  const int h = frame.bottom - frame.top;
  window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, L"Recodo - converting", style,
                            (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;
  const int inner = kWidth - 2 * kMargin;
  Child(window_, L"STATIC", name_.c_str(), SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, IDC_PROGRESS_NAME, kMargin,
        kMargin, inner, 18, font_);
  HWND bar = Child(window_, PROGRESS_CLASSW, L"", 0, IDC_PROGRESS_BAR, kMargin, 36, inner - 56, 20, font_);
  SendMessageW(bar, PBM_SETRANGE32, 0, kBarRange);
  Child(window_, L"STATIC", L"0 %", SS_RIGHT, IDC_PROGRESS_PERCENT, kMargin + inner - 48, 38, 48, 18, font_);
  HWND cancel = Child(window_, L"BUTTON", L"Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL,
                      kWidth - kMargin - 88, kHeight - kMargin - 26, 88, 26, font_);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(cancel);
  UpdateWindow(window_);
  return true;
}

void ProgressWindow::Show(std::uint64_t done, std::uint64_t total) {
  const std::uint64_t share = total == 0 ? 0 : (done >= total ? kBarRange : done * kBarRange / total);
  SendDlgItemMessageW(window_, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(share), 0);
  const std::wstring percent = std::to_wstring(share / 10) + L" %";
  SetDlgItemTextW(window_, IDC_PROGRESS_PERCENT, percent.c_str());
}

void ProgressWindow::Cancel() {
  cancelled_ = true;
  HWND cancel = GetDlgItem(window_, IDCANCEL);
  SetWindowTextW(cancel, L"Cancelling");
  EnableWindow(cancel, FALSE);
}

void ProgressWindow::Close() {
  if (window_ == nullptr) return;
  HWND window = window_;
  window_ = nullptr;
  DestroyWindow(window);
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && self != nullptr) self->Cancel();
      return 0;
    case WM_CLOSE:  // the close box, Alt+F4: a cancel, never a window gone mid-run
      if (self != nullptr) self->Cancel();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace recodo
