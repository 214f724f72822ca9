// recodo.com: the console program a prompt runs for a bare "recodo" (a .com
// comes before an .exe). recodo.exe is a window program, which cmd and
// PowerShell do not wait for; this one starts it with the same command line,
// waits, and ends with its exit code, so the prompt shows the run's lines in
// its own window and sets %ERRORLEVEL% / $LASTEXITCODE.
#include <windows.h>

#include <string>

namespace {

// Ctrl+C and Ctrl+Break reach recodo.exe as well, which is attached to the
// same console: it removes its unfinished files and ends, and this program
// waits for that to hand on its exit code.
BOOL WINAPI OutlastInterrupt(DWORD event) { return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT; }

// What follows the program's own name on the command line, as typed: the
// name ends at its closing quote, or at the first blank outside quotes.
const wchar_t* Arguments(const wchar_t* line) {
  bool quoted = false;
  for (; *line != 0; ++line) {
    if (*line == L'"') quoted = !quoted;
    if (!quoted && (*line == L' ' || *line == L'\t')) break;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

// recodo.exe beside this program, whatever this one is called.
std::wstring ProgramBeside() {
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(length);
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::size_t dot = path.find_last_of(L'.');
  if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.resize(dot);
  return path + L".exe";
}

// A console handle is not passed on: recodo.exe attaches to this console
// and opens it itself. Files and pipes are passed on as they are.
HANDLE Passed(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

void Say(const std::wstring& text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD done = 0;
  DWORD mode = 0;
  if (GetConsoleMode(error, &mode)) {
    WriteConsoleW(error, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    return;
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

}  // namespace

int wmain() {
  const std::wstring program = ProgramBeside();
  const wchar_t* arguments = Arguments(GetCommandLineW());
  std::wstring commandLine = L"\"" + program + L"\"";
  if (*arguments != 0) commandLine += L" " + std::wstring(arguments);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Passed(STD_INPUT_HANDLE);
  startup.hStdOutput = Passed(STD_OUTPUT_HANDLE);
  startup.hStdError = Passed(STD_ERROR_HANDLE);
  SetConsoleCtrlHandler(OutlastInterrupt, TRUE);
  PROCESS_INFORMATION process{};
  // recodo.exe ends with this program: a caller that stops it (a timeout,
  // End task) stops the run too, never to have it replace a file later.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job != nullptr) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &process)) {
    const DWORD error = GetLastError();
    wchar_t reason[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, reason, 512,
                   nullptr);
    Say(L"\"" + program + L"\" could not be started: " + reason + (reason[0] == 0 ? L"\r\n" : L""));
    return 1;
  }
  if (job != nullptr) AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
