#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "run_program.h"

namespace recodo::test {

struct StartedProgram::State {
  pid_t child = -1;
  int output = -1;  // the read end of the child's standard output
};

StartedProgram::StartedProgram(std::unique_ptr<State> state) : state_(std::move(state)) {}
StartedProgram::StartedProgram(StartedProgram&&) noexcept = default;
StartedProgram::~StartedProgram() {
  if (state_ && state_->child != -1) Wait();
}

int ExitCodeMinusOne() { return 255; }

namespace {

StartedProgram Start(const passwd* account, const std::filesystem::path& workingDirectory,
                     const std::vector<std::string>& arguments) {
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "recodo";
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) std::abort();
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    // A program that hangs ends the test instead of stalling it.
    alarm(60);
    if (account != nullptr &&
        (setgroups(0, nullptr) != 0 || setgid(account->pw_gid) != 0 || setuid(account->pw_uid) != 0))
      _exit(102);
    if (chdir(workingDirectory.c_str()) != 0) _exit(100);
    std::vector<char*> argv;
    std::string name = program.string();
    argv.push_back(name.data());
    std::vector<std::string> copies(arguments);
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(name.c_str(), argv.data());
    _exit(101);
  }
  close(pipeEnds[1]);
  auto state = std::make_unique<StartedProgram::State>();
  state->child = child;
  state->output = pipeEnds[0];
  return StartedProgram(std::move(state));
}

}  // namespace

StartedProgram StartProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments) {
  return Start(nullptr, workingDirectory, arguments);
}

StartedProgram StartProgramAs(const char* user, const std::filesystem::path& workingDirectory,
                              const std::vector<std::string>& arguments) {
  const passwd* account = getpwnam(user);
  if (account == nullptr) std::abort();
  return Start(account, workingDirectory, arguments);
}

ProgramRun StartedProgram::Wait() {
  ProgramRun run;
  char buffer[4096];
  ssize_t got;
  while ((got = read(state_->output, buffer, sizeof buffer)) > 0)
    run.output.append(buffer, static_cast<std::size_t>(got));
  close(state_->output);
  int status = 0;
  waitpid(state_->child, &status, 0);
  state_->child = -1;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
  return run;
}

}  // namespace recodo::test
