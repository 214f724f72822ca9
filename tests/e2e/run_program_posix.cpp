#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "run_program.h"

namespace recodo::test {

struct StartedProgram::State {
  pid_t child = -1;
  int output = -1;  // the read end of the child's standard output
  int errors = -1;  // and of its standard error
};

StartedProgram::StartedProgram(std::unique_ptr<State> state) : state_(std::move(state)) {}
StartedProgram::StartedProgram(StartedProgram&&) noexcept = default;
StartedProgram::~StartedProgram() {
  if (state_ && state_->child != -1) Wait();
}

int ExitCodeMinusOne() { return 255; }

std::filesystem::path ProgramPath() { return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "recodo"; }

namespace {

// A writer of its own feeds the pipe, so that neither side waits on the
// other however much they exchange.
int FeedingPipe(const std::string& input, pid_t* writerOut) {
  int ends[2];
  if (pipe(ends) != 0) std::abort();
  const pid_t writer = fork();
  if (writer == 0) {
    close(ends[0]);
    std::size_t done = 0;
    while (done < input.size()) {
      const ssize_t n = write(ends[1], input.data() + done, input.size() - done);
      if (n <= 0) _exit(1);
      done += static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  *writerOut = writer;
  close(ends[1]);
  return ends[0];
}

StartedProgram Start(const passwd* account, const std::filesystem::path& workingDirectory,
                     const std::vector<std::string>& arguments, int input = -1) {
  const std::filesystem::path program = ProgramPath();
  int pipeEnds[2];
  int errorEnds[2];
  if (pipe(pipeEnds) != 0 || pipe(errorEnds) != 0) std::abort();
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    dup2(errorEnds[1], STDERR_FILENO);
    if (input != -1) {
      dup2(input, STDIN_FILENO);
      close(input);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    close(errorEnds[0]);
    close(errorEnds[1]);
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
  close(errorEnds[1]);
  if (input != -1) close(input);
  auto state = std::make_unique<StartedProgram::State>();
  state->child = child;
  state->output = pipeEnds[0];
  state->errors = errorEnds[0];
  return StartedProgram(std::move(state));
}

}  // namespace

StartedProgram StartProgram(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments) {
  return Start(nullptr, workingDirectory, arguments);
}

ProgramRun RunProgramWithInput(const std::filesystem::path& workingDirectory, const std::vector<std::string>& arguments,
                               const std::string& input) {
  pid_t writer = -1;
  ProgramRun run = Start(nullptr, workingDirectory, arguments, FeedingPipe(input, &writer)).Wait();
  waitpid(writer, nullptr, 0);  // it may have ended early: the program stopped reading
  return run;
}

StartedProgram StartProgramAs(const char* user, const std::filesystem::path& workingDirectory,
                              const std::vector<std::string>& arguments) {
  const passwd* account = getpwnam(user);
  if (account == nullptr) std::abort();
  return Start(account, workingDirectory, arguments);
}

void StartedProgram::Signal(int signal) { kill(state_->child, signal); }

ProgramRun StartedProgram::Wait() {
  ProgramRun run;
  // Both pipes at once, so that neither fills up while the other is read.
  pollfd ends[2] = {{state_->output, POLLIN, 0}, {state_->errors, POLLIN, 0}};
  std::string* into[2] = {&run.output, &run.errors};
  int open = 2;
  while (open > 0) {
    if (poll(ends, 2, -1) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (ends[i].fd < 0 || ends[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(ends[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        close(ends[i].fd);
        ends[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  waitpid(state_->child, &status, 0);
  state_->child = -1;
  // A program ended by a signal shows it as a shell does (128 + the signal),
  // so a failure says which one.
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1000;
  return run;
}

}  // namespace recodo::test
