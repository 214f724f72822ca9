// The progress line of a long conversion: when it shows, what it says, and
// that output a person does not watch never carries it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "driver/batch_run.h"
#include "driver/output.h"
#include "driver/progress_meter.h"
#include "driver/settings.h"
#include "platform/fault_injection.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = ProgressMeter::Clock;

TEST(ProgressMeter, QuietForASecondThenAtMostTenTimesASecond) {
  ProgressMeter meter;
  const Clock::time_point start{};
  meter.Start(u"big.txt", start);
  EXPECT_FALSE(meter.Update(1, 100, start + 999ms));
  EXPECT_FALSE(meter.shown());

  const auto first = meter.Update(50'000'000, 100'000'000, start + 1000ms);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, u" 50 %  50.0 MB/s  big.txt");
  EXPECT_TRUE(meter.shown());
  EXPECT_FALSE(meter.Update(51'000'000, 100'000'000, start + 1099ms));
  const auto next = meter.Update(60'000'000, 100'000'000, start + 1200ms);
  ASSERT_TRUE(next);
  EXPECT_EQ(*next, u" 60 %  50.0 MB/s  big.txt");

  // A new file starts quiet again.
  meter.Start(u"next.txt", start + 5s);
  EXPECT_FALSE(meter.Update(1, 2, start + 5500ms));
  EXPECT_FALSE(meter.shown());
}

TEST(ProgressMeter, ShareAndSpeedAsAPersonReadsThem) {
  ProgressMeter meter;
  const Clock::time_point start{};
  meter.Start(u"a", start);
  EXPECT_EQ(*meter.Update(3, 1000, start + 2s), u"  0 %  0.0 MB/s  a");
  meter.Start(u"a", start);
  EXPECT_EQ(*meter.Update(999, 1000, start + 4s), u" 99 %  0.0 MB/s  a");
  meter.Start(u"a", start);
  EXPECT_EQ(*meter.Update(5'123'000'000, 5'123'000'000, start + 4s), u"100 %  1280.7 MB/s  a");
  meter.Start(u"empty", start);
  EXPECT_EQ(*meter.Update(0, 0, start + 1s), u"100 %  0.0 MB/s  empty");
}

TEST(ProgressMeter, ALongNameKeepsItsEndAndTheLineItsWidth) {
  ProgressMeter meter;
  const Clock::time_point start{};
  std::u16string name(200, u'n');
  name += u"-the-end.txt";
  meter.Start(name.c_str(), start);
  const std::u16string line = *meter.Update(1, 2, start + 1s);
  EXPECT_EQ(line.size(), ProgressMeter::kWidth);
  EXPECT_NE(line.find(u"...nnn"), std::u16string::npos);
  EXPECT_EQ(line.substr(line.size() - 12), u"-the-end.txt");

  // Never the second half of a pair alone at the cut.
  std::u16string emoji;
  for (int i = 0; i < 60; ++i) emoji += u"\U0001F600";
  meter.Start(emoji.c_str(), start);
  const std::u16string cut = *meter.Update(1, 2, start + 1s);
  const std::size_t dots = cut.find(u"...");
  ASSERT_NE(dots, std::u16string::npos);
  EXPECT_EQ(cut[dots + 3], u'\xD83D');
  EXPECT_LE(cut.size(), ProgressMeter::kWidth);
}

// Every read of the source takes a while, as on a slow disk or share.
class SlowReads : public platform::FaultHook {
 public:
  bool Fail(platform::FileOperation operation, platform::ErrorCode*) override {
    if (operation == platform::FileOperation::Read) std::this_thread::sleep_for(120ms);
    return false;
  }
};

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A log or a redirect holds the same bytes whether a file took long or not.
TEST(Progress, NeverInALogHoweverLongAFileTakes) {
  const fs::path dir = fs::temp_directory_path() / ("recodo-progress-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  // A dozen pieces of the converter's reads.
  std::string big(3 << 20, 'x');
  big += '\xE9';
  std::ofstream(dir / "big.txt", std::ios::binary) << big;

  const auto run = [&](platform::FaultHook* hook, const char* log) {
    Settings settings;
    settings.noConsole = true;
    CopyPath(settings.logPath, (dir / log).u16string().c_str());
    CopyPath(settings.sourcePath, (dir / "big.txt").u16string().c_str());
    CopyPath(settings.outputPath, (dir / "big.out").u16string().c_str());
    SetUpStreams(settings);
    platform::SetFaultHook(hook);
    const auto start = Clock::now();
    const int code = RunBatch(settings);
    const auto took = Clock::now() - start;
    platform::SetFaultHook(nullptr);
    SetUpStreams(Settings{});
    EXPECT_EQ(code, 0);
    // The start line carries the time of day; everything after it counts.
    const std::string text = Read(dir / log);
    return std::make_pair(text.substr(text.find("] - Start")), took);
  };
  SlowReads slow;
  const auto [slowText, slowTime] = run(&slow, "slow.log");
  const auto [fastText, fastTime] = run(nullptr, "fast.log");
  EXPECT_GT(slowTime, 1200ms);  // long enough that a terminal would have shown progress
  EXPECT_EQ(slowText, fastText);
  EXPECT_EQ(slowText.find('\r' + std::string(" ")), std::string::npos);
  EXPECT_NE(fastText.find("Success: ["), std::string::npos);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace recodo
