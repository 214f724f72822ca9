// A whole desktop conversion: recodo.exe started without arguments on the
// virtual display and driven through window messages as a user drives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "screenshot.h"
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
    Launch(L"", L"Recodo");
  }
  // recodo.exe with these arguments, in the test's folder, and its dialog
  // found by its title.
  void Launch(const std::wstring& arguments, const wchar_t* title) {
    if (process_.hProcess != nullptr) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + ProgramPath().wstring() + L"\" " + arguments;
    ASSERT_TRUE(CreateProcessW(ProgramPath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               dir_.c_str(), &startup, &process_));
    dialog_ = WaitForWindow(process_.dwProcessId, title);
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
  void Screenshot(const char* name) { ::Screenshot(dialog_, name); }

  // A picker opened with its button and answered as a user types a name
  // and presses Open or Save.
  void AnswerPicker(int button, const wchar_t* title, const fs::path& file) {
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    HWND picker = WaitForWindow(process_.dwProcessId, title);
    ASSERT_NE(picker, nullptr);
    const std::wstring name = file.wstring();
    for (int id : {0x47C, 0x480}) SendDlgItemMessageW(picker, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  void PickSource(const fs::path& source) {
    AnswerPicker(IDC_SOURCE_PICK, L"Please select a source text document to convert", source);
    for (int i = 0; i < 200 && TextOf(GetDlgItem(dialog_, IDC_DESTINATION_PATH)).empty(); ++i) Sleep(50);
  }
  // A prompt to replace a file that exists is confirmed.
  void PickDestination(const fs::path& destination) {
    AnswerPicker(IDC_DESTINATION_PICK, L"Please select a name for destination text document", destination);
    for (int i = 0; i < 200 && TextOf(GetDlgItem(dialog_, IDC_DESTINATION_PATH)) != destination.wstring(); ++i) {
      Search search{process_.dwProcessId, nullptr, nullptr};
      EnumWindows(
          [](HWND window, LPARAM parameter) -> BOOL {
            auto* search = reinterpret_cast<Search*>(parameter);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != search->process || !IsWindowVisible(window) || GetDlgItem(window, IDYES) == nullptr)
              return TRUE;
            search->found = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
      Sleep(50);
    }
  }
  void ChooseDestinationSet(int entry) {
    HWND destinationList = GetDlgItem(dialog_, IDC_DESTINATION_CHARSET);
    SendMessageW(destinationList, CB_SETCURSEL, entry, 0);
    SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_DESTINATION_CHARSET, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(destinationList));
  }
  // Convert, and the final message box's text, confirmed.
  std::wstring ConvertAndConfirm(const wchar_t* caption = L"Finished") {
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    HWND finished = WaitForWindow(process_.dwProcessId, caption);
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

// "<file> /dialog" as a shortcut or Send To starts it: the file is the
// source, as if picked.
TEST_F(DesktopRun, AGivenFileIsTheSource) {
  std::ofstream(dir_ / "given.txt", std::ios::binary) << "caf\xC3\xA9";
  Launch(L"\"" + (dir_ / "given.txt").wstring() + L"\" /dialog", L"Recodo");
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_SOURCE_PATH)), (dir_ / "given.txt").wstring());
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_DESTINATION_PATH)), (dir_ / "given.2.txt").wstring());
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDOK)));
  EXPECT_EQ(ConvertAndConfirm(), L"Conversion finished!");
  EXPECT_EQ(ExitCode(), 0);
  EXPECT_TRUE(fs::exists(dir_ / "given.2.txt"));

  // Send To puts the files after the shortcut's "/dialog", names relative
  // to nothing in particular, several at once.
  std::ofstream(dir_ / "second.txt", std::ios::binary) << "x";
  Launch(L"/dialog given.txt second.txt", L"Recodo - 2 files given, the first is the source");
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_SOURCE_PATH)), (dir_ / "given.txt").wstring());
}

// Flags among the files are left to the dialog's own choices; a pattern
// and a name too long for the dialog are refused with a box, never cut to
// another file's name.
TEST_F(DesktopRun, GivenItemsTheDialogCannotTake) {
  std::ofstream(dir_ / "given.txt", std::ios::binary) << "x";
  Launch(L"/dialog /replace given.txt --nowait", L"Recodo");
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_SOURCE_PATH)), (dir_ / "given.txt").wstring());

  Launch(L"\"" + (dir_ / "*.txt").wstring() + L"\" --dialog", L"Recodo");
  ChooseDestinationSet(50);
  const std::wstring pattern = ConvertAndConfirm(L"Error");
  EXPECT_NE(pattern.find(L"names files by a pattern (* or ?). Choose one file as the source."), std::wstring::npos)
      << pattern;
  EXPECT_EQ(ExitCode(), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  const std::wstring longName = (dir_ / std::wstring(270, L'a')).wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + ProgramPath().wstring() + L"\" /dialog \"" + longName + L"\"";
  TerminateProcess(process_.hProcess, 99);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
  ASSERT_TRUE(CreateProcessW(ProgramPath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             dir_.c_str(), &startup, &process_));
  HWND box = WaitForWindow(process_.dwProcessId, L"Error");
  ASSERT_NE(box, nullptr);
  std::wstring message;
  EnumChildWindows(box, FindStaticText, reinterpret_cast<LPARAM>(&message));
  EXPECT_NE(message.find(L"is too long for a path of the dialog."), std::wstring::npos) << message;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  dialog_ = WaitForWindow(process_.dwProcessId, L"Recodo");
  ASSERT_NE(dialog_, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(dialog_, IDC_SOURCE_PATH)), L"");
}

std::wstring SystemText(DWORD error) {
  wchar_t text[512] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 512, nullptr);
  std::wstring line = text;
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
  return line;
}

// Every failure of a dialog run shows a box that says why and where.
TEST_F(DesktopRun, AReadOnlyDestinationIsExplained) {
  std::ofstream(dir_ / "notes.txt", std::ios::binary) << "caf\xE9";
  std::ofstream(dir_ / "notes.2.txt", std::ios::binary) << "kept";
  SetFileAttributesW((dir_ / "notes.2.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  PickSource(dir_ / "notes.txt");
  const std::wstring message = ConvertAndConfirm(L"Error");
  EXPECT_EQ(message.rfind(L"An Error occured during file creation.\n\n", 0), 0u) << message;
  EXPECT_NE(message.find(SystemText(ERROR_ACCESS_DENIED)), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"\"" + (dir_ / "notes.2.txt").wstring() + L"\""), std::wstring::npos) << message;
  EXPECT_EQ(ExitCode(), 1);
  SetFileAttributesW((dir_ / "notes.2.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  std::ifstream in(dir_ / "notes.2.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept");
}

TEST_F(DesktopRun, ASourceThatCannotBeReadIsExplained) {
  std::ofstream(dir_ / "gone.txt", std::ios::binary) << "x";
  PickSource(dir_ / "gone.txt");
  fs::remove(dir_ / "gone.txt");
  const std::wstring message = ConvertAndConfirm(L"Error");
  EXPECT_EQ(message.rfind(L"The source file could not be read.\n\n", 0), 0u) << message;
  EXPECT_NE(message.find(SystemText(ERROR_FILE_NOT_FOUND)), std::wstring::npos) << message;
  EXPECT_NE(message.find((dir_ / "gone.txt").wstring()), std::wstring::npos) << message;
  EXPECT_EQ(ExitCode(), 2);
  EXPECT_FALSE(fs::exists(dir_ / "gone.2.txt"));
}

TEST_F(DesktopRun, ALossyConversionOntoTheSourceIsExplained) {
  const std::string text = "\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC caf\xC3\xA9";  // UTF-8: two Japanese letters
  std::ofstream(dir_ / "ja.txt", std::ios::binary) << text;
  PickSource(dir_ / "ja.txt");
  PickDestination(dir_ / "ja.txt");
  ChooseDestinationSet(18);  // Windows-1252
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDOK)));
  const std::wstring message = ConvertAndConfirm(L"Error");
  EXPECT_NE(message.find(L"2 characters of \"ja.txt\" could not be converted exactly, so the source is kept as it "
                         L"was. Choose another destination"),
            std::wstring::npos)
      << message;
  EXPECT_EQ(ExitCode(), 1);
  std::ifstream in(dir_ / "ja.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
}

// The pixels of a window's client area as the display shows them.
std::vector<COLORREF> ClientPixels(HWND window, int* width) {
  RECT client;
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const int w = client.right, h = client.bottom;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<COLORREF> pixels(static_cast<std::size_t>(w) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  *width = w;
  return pixels;
}

// Where a window's pixels differ from those it shows once painted afresh
// at the same size: "x,y" of the first few, empty when none do.
std::string StaleAreas(HWND window) {
  Sleep(500);
  int width = 0;
  const std::vector<COLORREF> before = ClientPixels(window, &width);
  RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(500);
  const std::vector<COLORREF> after = ClientPixels(window, &width);
  std::string stale;
  int count = 0;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i)
    if (before[i] != after[i] && count++ < 5)
      stale += std::to_string(i % width) + "," + std::to_string(i / width) + " ";
  if (count > 0) stale += "(" + std::to_string(count) + " pixels)";
  return stale;
}

// No old edge stays inside a group box after a resize, and a maximized
// dialog is painted to its edges.
TEST_F(DesktopRun, ResizingLeavesNoMarks) {
  RECT r;
  GetWindowRect(dialog_, &r);
  SetWindowPos(dialog_, nullptr, 0, 0, r.right - r.left + 200, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(StaleAreas(dialog_), "");
  SetWindowPos(dialog_, nullptr, 0, 0, r.right - r.left + 60, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(StaleAreas(dialog_), "");
  ShowWindow(dialog_, SW_MAXIMIZE);
  EXPECT_EQ(StaleAreas(dialog_), "");
  Screenshot("dialog-maximized.png");
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
