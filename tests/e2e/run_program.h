// Starts the real converter program as a user or script would, in a given
// working directory, and collects what it printed and its exit code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace recodo::test {

struct ProgramRun {
  int exitCode = 0;
  std::string output;  // standard output, with any CR removed
  std::string errors;  // standard error, where the runner keeps it apart
};

// A run that has been started and not yet waited for; several may go on at
// once.
class StartedProgram {
 public:
  struct State;
  explicit StartedProgram(std::unique_ptr<State> state);
  StartedProgram(StartedProgram&&) noexcept;
  ~StartedProgram();
  ProgramRun Wait();
#if !defined(_WIN32)
  void Signal(int signal);
#endif

 private:
  std::unique_ptr<State> state_;
};

// `arguments` are the items as a shell would hand them over. On Windows they
// are joined with spaces into the command-line text, so an item may carry
// the quotes a user would type.
StartedProgram StartProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments);
inline ProgramRun RunProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments) {
  return StartProgram(workingDirectory, arguments).Wait();
}

#if !defined(_WIN32)
// The same, run by the named account (the caller must be root).
StartedProgram StartProgramAs(const char* user, const std::filesystem::path& workingDirectory,
                              const std::vector<std::string>& arguments);
#endif

// The same with `input` on its standard input (a pipe on Linux, a file on
// Windows), and standard error collected apart from standard output.
ProgramRun RunProgramWithInput(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments,
                               const std::string& input);

// The exit code -1 as the caller sees it: -1 on Windows, 255 from a shell.
int ExitCodeMinusOne();

// The program beside the test program.
std::filesystem::path ProgramPath();

}  // namespace recodo::test
