// Every file operation of a run made to fail in turn: whatever fails, each
// source keeps its bytes unless its destination is complete and correct, no
// temporary file is left, and the lines, summary and exit code tell the
// truth.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "driver/batch_run.h"
#include "driver/output.h"
#include "driver/settings.h"
#include "platform/fault_injection.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;
using platform::FileOperation;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Counts the operations of one kind and fails the n-th (0: none).
class FailNth : public platform::FaultHook {
 public:
  FailNth(FileOperation operation, int n) : operation_(operation), n_(n) {}
  bool Fail(FileOperation operation, platform::ErrorCode* error) override {
    if (operation != operation_ || ++seen_ != n_) return false;
#if defined(_WIN32)
    *error = 112;  // ERROR_DISK_FULL
#else
    *error = 28;  // ENOSPC
#endif
    return true;
  }
  int seen() const { return seen_; }

 private:
  FileOperation operation_;
  int n_;
  int seen_ = 0;
};

enum class Mode { Beside, Move, Replace };

const std::map<std::string, std::string> kSources = {
    {"a.txt", "caf\xE9\r\n"}, {"b.txt", std::string(3000, 'b').append(1, '\xE9')}, {"sub/c.txt", "\xE8re"}};

std::string Converted(const std::string& cp1252) {
  std::string out = "\xEF\xBB\xBF";
  for (unsigned char c : cp1252) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {  // the letters used here are Latin-1 in Windows-1252 too
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() / ("recodo-faults-" + std::to_string(std::random_device{}()));
  }
  void TearDown() override {
    platform::SetFaultHook(nullptr);
    SetUpStreams(Settings{});
    std::error_code ignored;
    fs::remove_all(base_, ignored);
  }

  // Runs the batch over a fresh tree with the hook; returns the exit code.
  int RunOnce(Mode mode, platform::FaultHook* hook) {
    std::error_code ignored;
    fs::remove_all(base_, ignored);
    for (const auto& [name, bytes] : kSources) {
      fs::create_directories((base_ / "tree" / name).parent_path());
      std::ofstream(base_ / "tree" / name, std::ios::binary) << bytes;
    }
    fs::create_directories(base_ / "out");
    Settings settings;
    settings.recursive = true;
    settings.detectSource = false;
    settings.sourceCharset = 18;
    settings.sourceCharsetName = u"Windows-1252";
    settings.noConsole = true;
    CopyPath(settings.logPath, (base_ / "run.log").u16string().c_str());
    CopyPath(settings.sourcePath, (base_ / "tree" / "*.txt").u16string().c_str());
    if (mode == Mode::Move) {
      settings.moveSource = true;
      CopyPath(settings.outputPath, (base_ / "out").u16string().c_str());
    }
    settings.replaceSource = mode == Mode::Replace;
    SetUpStreams(settings);
    platform::SetFaultHook(hook);
    const int code = RunBatch(settings);
    platform::SetFaultHook(nullptr);
    SetUpStreams(Settings{});
    return code;
  }

  fs::path Destination(Mode mode, const std::string& name) const {
    const fs::path source = base_ / "tree" / name;
    if (mode == Mode::Replace) return source;
    if (mode == Mode::Move) return base_ / "out" / fs::path(name).filename();
    return source.parent_path() / (source.stem().string() + ".utf-8.txt");
  }

  void Check(Mode mode, int code, const std::string& label) {
    int complete = 0;
    for (const auto& [name, bytes] : kSources) {
      const fs::path source = base_ / "tree" / name;
      const fs::path destination = Destination(mode, name);
      const bool done = fs::exists(destination) && Read(destination) == Converted(bytes);
      if (done) ++complete;
      if (mode == Mode::Replace) {
        EXPECT_TRUE(Read(source) == bytes || done) << label << ": " << name << " lost its bytes";
      } else {
        EXPECT_TRUE((fs::exists(source) && Read(source) == bytes) || done) << label << ": " << name << " lost";
        if (fs::exists(destination)) {
          EXPECT_TRUE(done) << label << ": " << name << " has a broken destination";
        }
      }
    }
    for (const auto& entry : fs::recursive_directory_iterator(base_))
      EXPECT_EQ(entry.path().filename().string().rfind("~recodo", 0), std::string::npos)
          << label << ": left " << entry.path();

    std::string log = Read(base_ / "run.log");
    std::erase(log, '\r');
    // Lines that begin with `start` and hold `then`.
    const auto count = [&](const std::string& start, const std::string& then = "") {
      long n = 0;
      std::istringstream lines(log);
      for (std::string line; std::getline(lines, line);)
        if (line.rfind(start, 0) == 0 && line.find(then) != std::string::npos) ++n;
      return n;
    };
    const long successes = count("Success: [");
    const long failures = count("Error ", ": Conversion of ");
    // A folder that could not be listed is said, and counts as a failure;
    // its files are not reached.
    const long unlisted = count("", "could not be listed; its files are not converted");
    if (unlisted == 0) {
      EXPECT_EQ(successes + failures, 3) << label << "\n" << log;
    } else {
      EXPECT_LT(successes + failures, 3) << label << "\n" << log;
    }
    EXPECT_NE(log.find(std::to_string(successes) + " file(s) successfully converted"), std::string::npos) << label;
    EXPECT_NE(log.find(std::to_string(failures + unlisted) + " file(s) failed to convert"), std::string::npos)
        << label << "\n" << log;
    // A file reported converted really is.
    EXPECT_GE(complete, successes) << label << "\n" << log;
    // Whatever failed, the exit code says so.
    if (failures + unlisted == 0) {
      EXPECT_EQ(code, 0) << label;
    } else {
      EXPECT_TRUE(code == 1 || code == 2) << label << ": exit code " << code << "\n" << log;
    }
  }

  fs::path base_;
};

TEST_F(FaultInjection, EveryOperationFailingInTurnLosesNothing) {
  int runs = 0;
  for (Mode mode : {Mode::Beside, Mode::Move, Mode::Replace}) {
    for (FileOperation operation : {FileOperation::Create, FileOperation::Read, FileOperation::Write,
                                    FileOperation::Flush, FileOperation::Rename, FileOperation::Delete,
                                    FileOperation::List, FileOperation::ShortRead}) {
      FailNth counter(operation, 0);
      ASSERT_EQ(RunOnce(mode, &counter), 0);
      Check(mode, 0, "no fault");
      for (int n = 1; n <= counter.seen(); ++n) {
        FailNth fault(operation, n);
        const int code = RunOnce(mode, &fault);
        Check(mode, code, "mode " + std::to_string(static_cast<int>(mode)) + ", operation " +
                              std::to_string(static_cast<int>(operation)) + ", failure " + std::to_string(n));
        ++runs;
      }
    }
  }
  EXPECT_GT(runs, 40);  // the runs do reach every kind of operation
}

}  // namespace
}  // namespace recodo
