#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "run_program.h"

namespace recodo::test {

struct StartedProgram::State {
  HANDLE process = nullptr;
  std::filesystem::path capture;
};

StartedProgram::StartedProgram(std::unique_ptr<State> state) : state_(std::move(state)) {}
StartedProgram::StartedProgram(StartedProgram&&) noexcept = default;
StartedProgram::~StartedProgram() {
  if (state_ && state_->process != nullptr) Wait();
}

int ExitCodeMinusOne() { return -1; }

std::filesystem::path ProgramPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / L"recodo.exe";
}

namespace {

// The command-line text exactly as a Windows shell would pass it.
std::wstring CommandLine(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) {
    commandLine += L" ";
    commandLine += std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring();
  }
  return commandLine;
}

// Starts the program with these standard handles; returns its process.
HANDLE Launch(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments, HANDLE in,
              HANDLE out, HANDLE err) {
  const std::filesystem::path program = ProgramPath();
  std::wstring commandLine = CommandLine(program, arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      workingDirectory.c_str(), &startup, &process))
    std::abort();
  CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace

StartedProgram StartProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments) {
  // Output goes to a file: the program is told apart from a console run by
  // having a real standard output handle. Runs at once each have their own.
  static std::atomic<unsigned> runs{0};
  auto state = std::make_unique<StartedProgram::State>();
  state->capture = workingDirectory.parent_path() /
                   ("captured-output-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs) + ".bin");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(state->capture.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) std::abort();
  state->process = Launch(workingDirectory, arguments, nullptr, out, out);
  CloseHandle(out);
  return StartedProgram(std::move(state));
}

namespace {

// Read beside the handles an ended program may still hold under Wine.
std::string ReadAll(const std::filesystem::path& path) {
  std::string bytes;
  HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got != 0) bytes.append(buffer, got);
  CloseHandle(in);
  return bytes;
}

HANDLE Inheritable(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE h = CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &inherit,
                         write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) std::abort();
  return h;
}

}  // namespace

ProgramRun RunProgramWithInput(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments,
                               const std::string& input) {
  // Three files of their own, outside the working directory.
  const std::filesystem::path base = workingDirectory.parent_path() / ("filter-" + std::to_string(GetCurrentProcessId()));
  const std::filesystem::path inPath = base.string() + ".in", outPath = base.string() + ".out",
                              errPath = base.string() + ".err";
  HANDLE fill = Inheritable(inPath, true);
  DWORD written = 0;
  if (!input.empty() && !WriteFile(fill, input.data(), static_cast<DWORD>(input.size()), &written, nullptr)) std::abort();
  CloseHandle(fill);
  HANDLE in = Inheritable(inPath, false), out = Inheritable(outPath, true), err = Inheritable(errPath, true);
  const HANDLE process = Launch(workingDirectory, arguments, in, out, err);
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  ProgramRun run;
  run.exitCode = static_cast<int>(code);
  run.output = ReadAll(outPath);  // the converted bytes, as they are
  run.errors = ReadAll(errPath);
  std::erase(run.errors, '\r');
  DeleteFileW(inPath.c_str());
  DeleteFileW(outPath.c_str());
  DeleteFileW(errPath.c_str());
  return run;
}

ProgramRun StartedProgram::Wait() {
  WaitForSingleObject(state_->process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(state_->process, &code);
  CloseHandle(state_->process);
  state_->process = nullptr;

  ProgramRun run;
  run.exitCode = static_cast<int>(code);
  // Wine may close an ended program's handles a moment after it says it
  // ended (longer on a busy machine): its writes are done, its handle may
  // still be there, so the capture is read beside it.
  HANDLE in = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 3000 && in == INVALID_HANDLE_VALUE; ++attempt) {
    in = CreateFileW(state_->capture.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) Sleep(10);
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got != 0) run.output.append(buffer, got);
  CloseHandle(in);
  DeleteFileW(state_->capture.c_str());
  std::erase(run.output, '\r');
  return run;
}

}  // namespace recodo::test
