// Giving converted files to the accounts their name prefixes stand for, on
// real files: which rows fit, how the file is renamed, what is printed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "diagnostics_capture.h"
#include "platform/paths.h"
#include "security/user_translation_table.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace recodo {
namespace {

namespace fs = std::filesystem;

// An account the system knows.
std::string ExistingAccount() {
#if defined(_WIN32)
  char name[256];
  DWORD size = sizeof name;
  GetUserNameA(name, &size);
  return name;
#else
  return "nobody";
#endif
}

class OwnerFromPrefix : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("recodo-owner-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  // Applies a table to one file; returns where the file ended up.
  std::u16string Apply(const std::string& table, const std::string& file) {
    std::ofstream(dir_ / "table.csv", std::ios::binary) << table;
    std::ofstream(dir_ / file, std::ios::binary) << "x";
    char16_t target[platform::kPathCapacity];
    const std::u16string path = (dir_ / file).u16string();
    path.copy(target, path.size());
    target[path.size()] = 0;
    CUserTranslationTable owners((dir_ / "table.csv").u16string().c_str(), target);
    refused_ = owners.ApplyOwnerFromPrefix(true, diagnostics_);
    return fs::path(std::u16string(target)).filename().u16string();
  }
  fs::path dir_;
  std::optional<RefusedRename> refused_;
  test::DiagnosticsCapture diagnostics_;
};

TEST_F(OwnerFromPrefix, WhichRowsFitAndHowNamesAreCut) {
  const std::string row = "p01;" + ExistingAccount() + "\n";
  EXPECT_EQ(Apply(row, "P01-report.txt"), u"report.txt");  // ASCII case ignored
  EXPECT_FALSE(fs::exists(dir_ / "P01-report.txt"));
  EXPECT_FALSE(refused_);
  EXPECT_EQ(Apply(row, "p01report.txt"), u"p01report.txt");
  EXPECT_EQ(Apply(row, "p01.txt"), u"txt");
  EXPECT_EQ(Apply(row, "p01.notes.txt"), u"notes.txt");
  EXPECT_EQ(Apply("p0;" + ExistingAccount() + "\n" + row, "p01-a.txt"), u"a.txt");
  EXPECT_EQ(Apply(row, "p01"), u"p01");  // nothing after the prefix to rename to
  EXPECT_TRUE(fs::exists(dir_ / "txt") && fs::exists(dir_ / "notes.txt") && fs::exists(dir_ / "a.txt"));
}

TEST_F(OwnerFromPrefix, AMissingAccountPrintsAndTheNextRowIsTried) {
  // The name is cut once, not again by the second fitting row.
  EXPECT_EQ(Apply("p01;nosuchuser-recodo\np01;" + ExistingAccount() + "\n", "P01-report.txt"), u"report.txt");
  const std::string text = diagnostics_.Text();
  EXPECT_NE(text.find("LookupAccountName for user \"nosuchuser-recodo\" failed with error code "), std::string::npos)
      << text;
  EXPECT_EQ(text.find("LookupAccountName for user \"" + ExistingAccount() + "\""), std::string::npos) << text;
}

TEST_F(OwnerFromPrefix, AFailedRenameKeepsThePath) {
  fs::create_directories(dir_ / "report.txt" / "inside");  // a folder is in the way
  EXPECT_EQ(Apply("p01;" + ExistingAccount() + "\n", "p01-report.txt"), u"p01-report.txt");
  EXPECT_TRUE(fs::exists(dir_ / "p01-report.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "report.txt" / "inside"));
  ASSERT_TRUE(refused_);
  EXPECT_EQ(fs::path(refused_->to).filename(), "report.txt");
}

TEST_F(OwnerFromPrefix, ARenameNeverReplacesAnotherFile) {
  const std::string row = "p01;" + ExistingAccount() + "\np02;" + ExistingAccount() + "\n";
  std::ofstream(dir_ / "report.txt", std::ios::binary) << "PRECIOUS";
  EXPECT_EQ(Apply(row, "p01-report.txt"), u"p01-report.txt");
  std::string kept;
  std::getline(std::ifstream(dir_ / "report.txt", std::ios::binary), kept);
  EXPECT_EQ(kept, "PRECIOUS");
  ASSERT_TRUE(refused_);
  EXPECT_EQ(fs::path(refused_->from).filename(), "p01-report.txt");
  EXPECT_EQ(fs::path(refused_->to).filename(), "report.txt");
  EXPECT_NE(refused_->error, 0u);
  // Two prefixes that cut to one name: the second keeps its own.
  EXPECT_EQ(Apply(row, "p01.txt"), u"txt");
  EXPECT_EQ(Apply(row, "p02.txt"), u"p02.txt");
  EXPECT_TRUE(refused_);
  EXPECT_TRUE(fs::exists(dir_ / "txt") && fs::exists(dir_ / "p02.txt"));
}

#if !defined(_WIN32)
TEST_F(OwnerFromPrefix, TheAccountBecomesTheOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give files away";
  Apply("p01;nobody\n", "p01-owned.txt");
  struct stat info;
  ASSERT_EQ(stat((dir_ / "owned.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, getpwnam("nobody")->pw_uid);
}
#endif

}  // namespace
}  // namespace recodo
