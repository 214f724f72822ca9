// A picture of a window on the virtual display, taken with ImageMagick and
// kept as a test artifact; without ImageMagick there is none, and nothing
// else depends on it.
#pragma once

#include <windows.h>

#include <string>

inline void Screenshot(HWND window, const char* name) {
  RECT r;
  GetWindowRect(window, &r);
  // A maximized window's frame lies off the screen.
  if (r.left < 0) r.left = 0;
  if (r.top < 0) r.top = 0;
  std::string target = RECODO_SCREENSHOT_DIR;
  target += '/';
  target += name;
  std::wstring commandLine = L"import -window root -crop " + std::to_wstring(r.right - r.left) + L"x" +
                             std::to_wstring(r.bottom - r.top) + L"+" + std::to_wstring(r.left) + L"+" +
                             std::to_wstring(r.top) + L" +repage " + std::wstring(target.begin(), target.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION shot{};
  if (!CreateProcessW(L"Z:\\usr\\bin\\import", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &shot))
    return;
  WaitForSingleObject(shot.hProcess, 20000);
  CloseHandle(shot.hProcess);
  CloseHandle(shot.hThread);
}
