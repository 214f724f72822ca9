// The run's lines in the console of the prompt that started it, and its exit
// code handed back: a test program owns a console, as cmd does, starts the
// programs without redirection and reads its screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return fs::path(self).parent_path() / name;
}

class PromptConsole : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A console of the test's own, whatever ctest gave it.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
  }
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("recodo-console-" + std::to_string(GetTickCount()));
    fs::create_directories(dir_);
    HANDLE screen = Screen();
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
    DWORD written = 0;
    FillConsoleOutputCharacterW(screen, L' ', info.dwSize.X * info.dwSize.Y, COORD{0, 0}, &written);
    SetConsoleCursorPosition(screen, COORD{0, 0});
    CloseHandle(screen);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  static HANDLE Screen() {
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  }
  // Starts a program on the test's console as a prompt does: the console
  // inherited by a console program; a window program gets neither the
  // console nor standard handles.
  PROCESS_INFORMATION Start(const wchar_t* program, const std::wstring& arguments) {
    const fs::path path = Beside(program);
    std::wstring commandLine = L"\"" + path.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool window = path.extension() == L".exe";
    if (window) startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, window ? DETACHED_PROCESS : 0,
                        nullptr, dir_.c_str(), &startup, &process))
      process.hProcess = nullptr;
    return process;
  }
  // Its exit code.
  int Run(const wchar_t* program, const std::wstring& arguments) {
    const PROCESS_INFORMATION process = Start(program, arguments);
    if (process.hProcess == nullptr) return 1000;
    DWORD code = 1001;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
      GetExitCodeProcess(process.hProcess, &code);
    else
      TerminateProcess(process.hProcess, 1002);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
  }
  // What the console shows, its lines joined with "\n", blanks at their
  // ends dropped.
  static std::wstring Shown() {
    HANDLE screen = Screen();
    CONSOLE_SCREEN_BUFFER_INFO info;
    std::wstring text;
    if (!GetConsoleScreenBufferInfo(screen, &info)) return text;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
      std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
      DWORD read = 0;
      ReadConsoleOutputCharacterW(screen, line.data(), info.dwSize.X, COORD{0, row}, &read);
      line.resize(line.find_last_not_of(L' ') == std::wstring::npos ? 0 : line.find_last_not_of(L' ') + 1);
      text += line + L"\n";
    }
    CloseHandle(screen);
    return text;
  }

  fs::path dir_;
};

const wchar_t kFailedRun[] =
    L"\nError 2: Conversion of \"missing.txt\" failed.\n\n0 file(s) successfully converted with total size of 0 "
    L"Bytes\n1 file(s) failed to convert\n";

TEST_F(PromptConsole, CompanionWaitsShowsTheLinesAndHandsOnTheExitCode) {
  EXPECT_EQ(Run(L"recodo.com", L"missing.txt"), 2);
  const std::wstring shown = Shown();
  EXPECT_NE(shown.find(L"Destination character set: \"utf-8\" (Internal code 100)\n"), std::wstring::npos) << shown;
  EXPECT_NE(shown.find(kFailedRun), std::wstring::npos) << shown;

  std::ofstream(dir_ / "notes.txt", std::ios::binary) << "caf\xE9";
  EXPECT_EQ(Run(L"recodo.com", L"notes.txt /scs=windows-1252 /dcs=utf-16"), 0);
  EXPECT_NE(Shown().find(L"1 file(s) successfully converted with total size of 4 Bytes\n"), std::wstring::npos);
  EXPECT_TRUE(fs::exists(dir_ / "notes.utf-16.txt"));
}

// The window program started from a prompt writes into the prompt's own
// console, and asks for no key there.
TEST_F(PromptConsole, WindowProgramAttachesToThePromptsConsole) {
  EXPECT_EQ(Run(L"recodo.exe", L"missing.txt"), 2);
  const std::wstring shown = Shown();
  EXPECT_NE(shown.find(kFailedRun), std::wstring::npos) << shown;
  EXPECT_EQ(shown.find(L"Press any key"), std::wstring::npos) << shown;
}

// Started where no console is (Explorer, a dropped file): a window of its
// own, which stays, the lines read, until a key is pressed.
TEST_F(PromptConsole, OwnWindowWaitsForAKey) {
  FreeConsole();
  const PROCESS_INFORMATION process = Start(L"recodo.exe", L"missing.txt");
  ASSERT_NE(process.hProcess, nullptr);
  bool attached = false;
  for (int i = 0; i < 200 && !(attached = AttachConsole(process.dwProcessId)); ++i) Sleep(50);
  std::wstring shown;
  for (int i = 0; attached && i < 200 && shown.find(L"Press any key") == std::wstring::npos; ++i, Sleep(50))
    shown = Shown();
  EXPECT_NE(shown.find(std::wstring(kFailedRun) + L"\nPress any key to close this window."), std::wstring::npos)
      << shown;
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  INPUT_RECORD key{};
  key.EventType = KEY_EVENT;
  key.Event.KeyEvent.bKeyDown = TRUE;
  key.Event.KeyEvent.wRepeatCount = 1;
  key.Event.KeyEvent.wVirtualKeyCode = VK_SPACE;
  key.Event.KeyEvent.uChar.UnicodeChar = L' ';
  DWORD written = 0;
  WriteConsoleInputW(input, &key, 1, &written);
  CloseHandle(input);
  DWORD code = 1001;
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1002);
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 2u);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
}

// Quoted names with blanks reach recodo.exe as typed.
TEST_F(PromptConsole, CompanionPassesTheCommandLineAsTyped) {
  std::ofstream(dir_ / "my notes.txt", std::ios::binary) << "x";
  EXPECT_EQ(Run(L"recodo.com", L"\"my notes.txt\"   /dcs=utf-16"), 0);
  EXPECT_TRUE(fs::exists(dir_ / "my notes.utf-16.txt"));
}

}  // namespace
