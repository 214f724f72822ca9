// The Help window under a virtual display: its size, its text control, and
// closing it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "driver/help_window.h"
#include "driver/program.h"
#include "driver/version_string.h"
#include "ui/resource.h"

namespace recodo {
namespace {

TEST(HelpWindow, OpensAt640By480WithTheTextFillingIt) {
  CHelpWindow help;
  ASSERT_TRUE(help.Create());
  const std::u16string usage = UsageText();
  help.Printf(L"%ls", reinterpret_cast<const wchar_t*>(usage.c_str()));

  RECT window;
  GetWindowRect(help.m_hWnd, &window);
  EXPECT_EQ(window.right - window.left, 640);
  EXPECT_EQ(window.bottom - window.top, 480);

  HWND text = GetDlgItem(help.m_hWnd, IDC_HELP_TEXT);
  ASSERT_NE(text, nullptr);
  RECT client, control;
  GetClientRect(help.m_hWnd, &client);
  GetWindowRect(text, &control);
  EXPECT_EQ(control.right - control.left, client.right - 10);
  EXPECT_EQ(control.bottom - control.top, client.bottom - 10);

  const LONG style = GetWindowLongW(text, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_FALSE(style & ES_AUTOHSCROLL);  // long lines wrap
  const LONG frame = GetWindowLongW(help.m_hWnd, GWL_STYLE);
  EXPECT_TRUE(frame & WS_THICKFRAME);
  EXPECT_TRUE(frame & WS_MINIMIZEBOX);
  EXPECT_FALSE(frame & WS_MAXIMIZEBOX);

  wchar_t caption[16] = {};
  GetWindowTextW(help.m_hWnd, caption, 16);
  EXPECT_STREQ(caption, L"Help");
  std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(text)), L'\0');
  GetWindowTextW(text, shown.data(), static_cast<int>(shown.size() + 1));
  EXPECT_EQ(shown, std::wstring(usage.begin(), usage.end()));

  // Dragging the frame keeps the control filling the client area.
  SetWindowPos(help.m_hWnd, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  RECT dragged{0, 0, 800, 600};
  SendMessageW(help.m_hWnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
  GetClientRect(help.m_hWnd, &client);
  GetWindowRect(text, &control);
  EXPECT_EQ(control.right - control.left, client.right - 10);

  // In a real drag the frame is proposed first and takes its size after:
  // the control must fit the size the window ends with, not the one before.
  RECT proposed{0, 0, 900, 700};
  SendMessageW(help.m_hWnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
  SetWindowPos(help.m_hWnd, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(help.m_hWnd, &client);
  GetWindowRect(text, &control);
  EXPECT_EQ(control.right - control.left, client.right - 10);
  EXPECT_EQ(control.bottom - control.top, client.bottom - 10);

  // Closing destroys the window, which ends the loop.
  PostMessageW(help.m_hWnd, WM_CLOSE, 0, 0);
  help.Run();
  EXPECT_FALSE(IsWindow(help.m_hWnd));
}

TEST(HelpWindow, TextPastTheBufferIsCut) {
  CHelpWindow help;
  ASSERT_TRUE(help.Create());
  const std::wstring longText(6000, L'x');
  help.Printf(L"%ls", longText.c_str());
  EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(help.m_hWnd, IDC_HELP_TEXT)), 4095);
  DestroyWindow(help.m_hWnd);
}

TEST(VersionString, ReadsTheProgramsFileVersion) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::u16string program = (std::filesystem::path(self).parent_path() / L"recodo.exe").u16string();
  char16_t version[64];
  ASSERT_TRUE(GetVersionString(program.c_str(), u"FileVersion", version, 64));
  EXPECT_EQ(std::u16string(version), u"" RECODO_PROJECT_VERSION);
  char16_t small[4];
  ASSERT_TRUE(GetVersionString(program.c_str(), u"FileVersion", small, 4));
  EXPECT_EQ(std::u16string(small), std::u16string(u"" RECODO_PROJECT_VERSION).substr(0, 3));
  EXPECT_FALSE(GetVersionString(program.c_str(), u"NoSuchValue", version, 64));
  EXPECT_EQ(version[0], u'\0');
}

}  // namespace
}  // namespace recodo
