// Starts the real converter program as a user or script would, in a given
// working directory, and collects what it printed and its exit code.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace recodo::test {

struct ProgramRun {
  int exitCode = 0;
  std::string output;  // standard output, with any CR removed
};

// `arguments` are the items as a shell would hand them over. On Windows they
// are joined with spaces into the command-line text, so an item may carry
// the quotes a user would type.
ProgramRun RunProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments);

// The exit code -1 as the caller sees it: -1 on Windows, 255 from a shell.
int ExitCodeMinusOne();

}  // namespace recodo::test
