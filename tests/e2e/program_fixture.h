// What the tests of the real program share: a fresh working directory per
// test, and reading and writing whole files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "run_program.h"

namespace recodo::test {

namespace fs = std::filesystem;

inline std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string Sep() { return std::string(1, static_cast<char>(fs::path::preferred_separator)); }

// Two parts of a relative path as a user of this platform types them.
inline std::string Joined(std::string first, const std::string& second) {
  first += Sep();
  first += second;
  return first;
}

inline const std::string kUtf8Mark = "\xEF\xBB\xBF";

// The names in a directory, sorted, so that leftovers show.
inline std::vector<std::string> Names(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() /
            ("recodo-e2e-" + std::to_string(std::random_device{}()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    dir_ = base_ / "work";
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(base_, fs::perms::all, fs::perm_options::add, ignored);
    fs::remove_all(base_, ignored);
  }
  ProgramRun Run(const std::vector<std::string>& arguments) { return RunProgram(dir_, arguments); }
  ProgramRun RunIn(const fs::path& directory, const std::vector<std::string>& arguments) {
    return RunProgram(directory, arguments);
  }

  fs::path base_;
  fs::path dir_;
};

}  // namespace recodo::test
