// A run that is interrupted leaves none of its unfinished results behind:
// an unnamed result is never there to leave; a named one is removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "convert/result_file.h"
#include "platform/fault_injection.h"
#include "platform/interrupts.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace recodo {
namespace {

namespace fs = std::filesystem;

// The file system refuses files without a name.
class NoUnnamedFiles final : public platform::FaultHook {
 public:
  bool Fail(platform::FileOperation operation, platform::ErrorCode* error) override {
    if (operation != platform::FileOperation::CreateUnnamed) return false;
#if defined(_WIN32)
    *error = 50;  // ERROR_NOT_SUPPORTED
#else
    *error = 95;  // EOPNOTSUPP
#endif
    return true;
  }
};

class Interrupted : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("recodo-interrupted-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    platform::SetFaultHook(nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }
  fs::path dir_;
};

TEST_F(Interrupted, ANamedResultIsRemovedByTheInterrupt) {
  NoUnnamedFiles refuse;
  platform::SetFaultHook(&refuse);
  std::ofstream(dir_ / "old.txt") << "old";
  {
    ResultFile result;
    unsigned counter = 0;
    platform::ErrorCode error = 0;
    ASSERT_TRUE(result.Create((dir_ / "old.txt").u16string().c_str(), &counter, &error));
    // The way around is no failure, and none is said later (a lossy result
    // refused with "Operation not supported" before it).
    EXPECT_EQ(error, 0);
    const std::uint8_t bytes[] = {'n', 'e', 'w'};
    ASSERT_TRUE(result.Take(bytes, 3));
    EXPECT_EQ(Names().size(), 2u) << "a temporary name beside it";
    platform::RemoveRegisteredTemporaries();
    // (The result still holds its file open, as a run that is interrupted
    // does; it is gone once that ends.)
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"old.txt"});
}

#if !defined(_WIN32)
// Runs `body` in a child process, which the signal ends; the child's
// status.
template <typename Body>
int InChild(Body body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(Interrupted, ASignalRemovesTheNamedResultAndEndsTheRunAsItWould) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const int status = InChild([&] {
      NoUnnamedFiles refuse;
      platform::SetFaultHook(&refuse);
      platform::RemoveTemporariesOnInterrupt();
      ResultFile result;
      unsigned counter = 0;
      platform::ErrorCode error = 0;
      if (!result.Create((dir_ / "out.txt").u16string().c_str(), &counter, &error)) _exit(3);
      raise(signal);
      _exit(4);
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
    EXPECT_TRUE(Names().empty()) << signal;
  }
}

TEST_F(Interrupted, AKilledRunLeavesNothingWhereFilesNeedNoName) {
  const int status = InChild([&] {
    ResultFile result;
    unsigned counter = 0;
    platform::ErrorCode error = 0;
    if (!result.Create((dir_ / "out.txt").u16string().c_str(), &counter, &error)) _exit(3);
    const std::uint8_t bytes[] = {'x'};
    result.Take(bytes, 1);
    raise(SIGKILL);
  });
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_TRUE(Names().empty());
}
#endif

}  // namespace
}  // namespace recodo
