// A whole desktop conversion: recodo.exe started without arguments on the
// virtual display and driven through window messages as a user drives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ui/resource.h"

namespace {

namespace fs = std::filesystem;

struct Search {
  DWORD process;
  const wchar_t* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  if (process == search->process && IsWindowVisible(window) && lstrcmpW(title, search->title) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WaitForWindow(DWORD process, const wchar_t* title) {
  for (int i = 0; i < 400; ++i) {
    Search search{process, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    Sleep(50);
  }
  return nullptr;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

BOOL CALLBACK FindStaticText(HWND child, LPARAM parameter) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, 32);
  if (lstrcmpiW(className, L"Static") == 0 && !TextOf(child).empty()) {
    *reinterpret_cast<std::wstring*>(parameter) = TextOf(child);
    return FALSE;
  }
  return TRUE;
}

fs::path ProgramPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path() / L"recodo.exe";
}

class DesktopRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("recodo-desktop-" + std::to_string(GetTickCount()));
    fs::create_directories(dir_);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + ProgramPath().wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(ProgramPath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               dir_.c_str(), &startup, &process_));
    dialog_ = WaitForWindow(process_.dwProcessId, L"Recodo");
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  int ExitCode() {
    if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return 1000;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }
  // The virtual display's picture of the dialog, taken with ImageMagick.
  void Screenshot(const char* name) {
    RECT r;
    GetWindowRect(dialog_, &r);
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
      return;  // no ImageMagick: no picture, nothing else depends on it
    WaitForSingleObject(shot.hProcess, 20000);
    CloseHandle(shot.hProcess);
    CloseHandle(shot.hThread);
  }

  // The source picker, answered as a user types a name and presses Open.
  void PickSource(const fs::path& source) {
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SOURCE_PICK, BN_CLICKED), 0);
    HWND picker = WaitForWindow(process_.dwProcessId, L"Please select a source text document to convert");
    ASSERT_NE(picker, nullptr);
    const std::wstring name = source.wstring();
    for (int id : {0x47C, 0x480}) SendDlgItemMessageW(picker, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    for (int i = 0; i < 200 && TextOf(GetDlgItem(dialog_, IDC_DESTINATION_PATH)).empty(); ++i) Sleep(50);
  }
  void ChooseDestinationSet(int entry) {
    HWND destinationList = GetDlgItem(dialog_, IDC_DESTINATION_CHARSET);
    SendMessageW(destinationList, CB_SETCURSEL, entry, 0);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_DESTINATION_CHARSET, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(destinationList));
  }
  // Convert, and the final message box's text, confirmed.
  std::wstring ConvertAndConfirm() {
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND finished = WaitForWindow(process_.dwProcessId, L"Finished");
    if (finished == nullptr) return L"(no message)";
    std::wstring message;
    EnumChildWindows(finished, FindStaticText, reinterpret_cast<LPARAM>(&message));
    PostMessageW(finished, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return message;
  }

  fs::path dir_;
  PROCESS_INFORMATION process_{};
  HWND dialog_ = nullptr;
};

TEST_F(DesktopRun, PickChooseConvertAndConfirm) {
  std::ofstream(dir_ / "notes.txt", std::ios::binary) << "caf\xE9";
  Sleep(300);
  Screenshot("dialog.png");

  PickSource(dir_ / "notes.txt");
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_DESTINATION_PATH)), (dir_ / "notes.2.txt").wstring());

  // UTF-16 as the destination set, then Convert.
  ChooseDestinationSet(50);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDOK)));
  RECT r;
  GetWindowRect(dialog_, &r);
  SetWindowPos(dialog_, nullptr, 0, 0, r.right - r.left + 200, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  Sleep(300);
  Screenshot("dialog-wide.png");
  EXPECT_EQ(ConvertAndConfirm(), L"Conversion finished!");

  EXPECT_EQ(ExitCode(), 0);
  std::ifstream in(dir_ / "notes.2.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("\xFF\xFE" "c\0a\0f\0\xE9\0", 10));
}

// A set added since the first ones, chosen from the list's end.
TEST_F(DesktopRun, ConvertsIntoAnAddedSet) {
  std::ofstream(dir_ / "ja.txt", std::ios::binary) << "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\r\n";  // UTF-8
  PickSource(dir_ / "ja.txt");
  ChooseDestinationSet(55);  // Shift_JIS
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDOK)));
  EXPECT_EQ(ConvertAndConfirm(), L"Conversion finished!");
  EXPECT_EQ(ExitCode(), 0);
  std::ifstream in(dir_ / "ja.2.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "\x93\xFA\x96\x7B\r\n");
}

TEST_F(DesktopRun, CancelEndsWithMinusOne) {
  PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(ExitCode(), -1);
}

// "/?" first shows the usage whatever follows it: never a pattern that
// converts and deletes files.
TEST(HelpRequest, ItemsAfterItChangeNothing) {
  const fs::path dir = fs::temp_directory_path() / ("recodo-help-" + std::to_string(GetTickCount()));
  fs::create_directories(dir / "deeper");
  std::ofstream(dir / "a", std::ios::binary) << "a";
  std::ofstream(dir / "deeper" / "c", std::ios::binary) << "c";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + ProgramPath().wstring() + L"\" /? /dcs=utf-16 /move /r";
  ASSERT_TRUE(CreateProcessW(ProgramPath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir.c_str(), &startup, &process));
  HWND help = WaitForWindow(process.dwProcessId, L"Help");
  EXPECT_NE(help, nullptr);
  if (help != nullptr) PostMessageW(help, WM_CLOSE, 0, 0);
  DWORD code = 0;
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  EXPECT_EQ(static_cast<int>(code), -1);
  EXPECT_TRUE(fs::exists(dir / "a") && fs::exists(dir / "deeper" / "c"));
  EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir), fs::recursive_directory_iterator()), 3);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
