#include <windows.h>

#include <cstdlib>

#include "run_program.h"

namespace recodo::test {

int ExitCodeMinusOne() { return -1; }

ProgramRun RunProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path program = std::filesystem::path(self).parent_path() / L"recodo.exe";

  // The command-line text exactly as a Windows shell would pass it.
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) {
    commandLine += L" ";
    commandLine += std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring();
  }

  // Output goes to a file: the program is told apart from a console run by
  // having a real standard output handle.
  const std::filesystem::path capture = workingDirectory.parent_path() / "captured-output.bin";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(capture.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) std::abort();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  startup.hStdInput = nullptr;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      workingDirectory.c_str(), &startup, &process))
    std::abort();
  CloseHandle(out);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);

  ProgramRun run;
  run.exitCode = static_cast<int>(code);
  HANDLE in = CreateFileW(capture.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got != 0) run.output.append(buffer, got);
  CloseHandle(in);
  DeleteFileW(capture.c_str());
  std::erase(run.output, '\r');
  return run;
}

}  // namespace recodo::test
