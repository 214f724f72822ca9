// The progress window of a dialog run: shown once a conversion takes over a
// second, moving, answering its messages while the file is read slowly, and
// Cancel leaves the folder as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "driver/program.h"
#include "driver/settings.h"
#include "platform/fault_injection.h"
#include "screenshot.h"
#include "ui/progress_window.h"
#include "ui/resource.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;

// Every read of the source takes a while, as from a slow network drive.
class SlowReads final : public platform::FaultHook {
 public:
  explicit SlowReads(DWORD milliseconds) : milliseconds_(milliseconds) {}
  bool Fail(platform::FileOperation operation, platform::ErrorCode*) override {
    if (operation == platform::FileOperation::Read) Sleep(milliseconds_);
    return false;
  }

 private:
  DWORD milliseconds_;
};

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DialogRunProgress : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("recodo-progress-" + std::to_string(GetTickCount()));
    fs::create_directories(dir_);
    // 4 MiB of Windows-1252: sixteen pieces.
    std::string text;
    for (int i = 0; text.size() < (4u << 20); ++i) text += "caf\xE9 cr\xE8me br\xFBl\xE9" "e, line " + std::to_string(i) + "\r\n";
    source_ = text;
    std::ofstream(dir_ / "big.txt", std::ios::binary) << source_;
    std::ofstream(dir_ / "big.2.txt", std::ios::binary) << "an earlier result";
    Settings& settings = settings_;
    settings = Settings{};
    CopyPath(settings.sourcePath, (dir_ / "big.txt").u16string().c_str());
    CopyPath(settings.outputPath, (dir_ / "big.2.txt").u16string().c_str());
    settings.sourceCharsetName = u"Windows-1252";
    settings.destCharsetName = u"UTF-8";
    settings.detectSource = false;
    settings.uiMode = true;
    settings.noConsole = true;
    settings.noMessageBox = true;  // the boxes would wait for a click
  }
  void TearDown() override {
    platform::SetFaultHook(nullptr);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  fs::path dir_;
  std::string source_;
  Settings settings_;
};

TEST_F(DialogRunProgress, MovesAnswersAndCancelLeavesTheFolderAsItWas) {
  SlowReads slow(150);
  platform::SetFaultHook(&slow);
  std::atomic<bool> running{true};
  std::vector<int> positions;
  bool answered = true;
  bool found = false;
  std::wstring name;
  // The user, on another thread: watches the bar, then presses Cancel.
  std::thread user([&] {
    HWND window = nullptr;
    for (int i = 0; i < 400 && running && window == nullptr; ++i, Sleep(25))
      window = FindWindowW(ProgressWindow::kClassName, nullptr);
    if (window == nullptr) return;
    found = true;
    wchar_t text[MAX_PATH] = {};
    GetDlgItemTextW(window, IDC_PROGRESS_NAME, text, MAX_PATH);
    name = text;
    Sleep(300);
    Screenshot(window, "progress.png");
    while (running && positions.size() < 40) {
      DWORD_PTR position = 0;
      if (!SendMessageTimeoutW(GetDlgItem(window, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000,
                               &position))
        answered = false;
      positions.push_back(static_cast<int>(position));
      if (positions.size() >= 3 && positions.back() > positions.front() && positions.back() > 0) break;
      Sleep(100);
    }
    SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  });
  ProgressWindow window;
  const int code = RunSettings(settings_, &window);
  running = false;
  user.join();

  ASSERT_TRUE(found);
  EXPECT_EQ(name, L"big.txt");
  EXPECT_TRUE(answered);
  ASSERT_GE(positions.size(), 2u);
  EXPECT_GT(positions.back(), positions.front());
  EXPECT_EQ(code, 1);
  EXPECT_EQ(FindWindowW(ProgressWindow::kClassName, nullptr), nullptr);  // gone before any box
  EXPECT_EQ(Contents(dir_ / "big.2.txt"), "an earlier result");
  EXPECT_EQ(Contents(dir_ / "big.txt"), source_);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// Within its first second a conversion shows nothing, and it is done.
TEST_F(DialogRunProgress, AQuickConversionShowsNoWindow) {
  std::atomic<bool> running{true};
  bool seen = false;
  std::thread watcher([&] {
    while (running && !seen) seen = FindWindowW(ProgressWindow::kClassName, nullptr) != nullptr;
  });
  ProgressWindow window;
  EXPECT_EQ(RunSettings(settings_, &window), 0);
  running = false;
  watcher.join();
  EXPECT_FALSE(seen);
  // A BOM, and two bytes for each accented letter.
  std::size_t accented = 0;
  for (char c : source_) accented += static_cast<unsigned char>(c) >= 0x80;
  EXPECT_EQ(Contents(dir_ / "big.2.txt").size(), 3 + source_.size() + accented);
}

}  // namespace
}  // namespace recodo
