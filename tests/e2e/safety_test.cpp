// What users own is never lost or exposed by the real program: exit codes
// that tell the truth, runs at once, paths as the system resolves them,
// lossy conversions, permissions, links and special files.
#include <cstdio>
#include <set>

#include "program_fixture.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace recodo::test {
namespace {

// "n007.txt", "n007.utf-8.txt": names the pattern n???.txt takes or leaves.
std::string Numbered(int i, const char* rest) {
  char text[64];
  std::snprintf(text, sizeof text, "n%03d%s", i, rest);
  return text;
}

bool HasTemporaries(const fs::path& directory) {
  for (const std::string& name : Names(directory))
    if (name.find("~recodo") != std::string::npos) return true;
  return false;
}

TEST_F(ProgramTest, AnyFailureDecidesTheExitCode) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) Write(dir_ / name, "x");
  fs::create_directories(base_ / "out" / "b.txt");  // a folder where b's result should go
  const std::string output = "/output=" + (base_ / "out").string();
  ProgramRun run = Run({"*.txt", output});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("2 file(s) successfully converted"), std::string::npos) << run.output;
  // The exit code is all a silent run tells.
  run = Run({"*.txt", output, "/silent"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "");
  // Every file converted: 0.
  fs::remove(base_ / "out" / "b.txt");
  EXPECT_EQ(Run({"*.txt", output, "/silent"}).exitCode, 0);
}

TEST_F(ProgramTest, RunsAtOnceInOneFolderFailNothing) {
  constexpr int kFiles = 300;
  std::string text;
  for (int i = 0; i < 40; ++i) {
    text.append("Caf\xE9 cr\xE8me br\xFBl\xE9" "e, line ");
    text.append(std::to_string(i)).append("\r\n");
  }
  for (int i = 0; i < kFiles; ++i) Write(dir_ / Numbered(i, ".txt"), text);
  const std::string utf8 = kUtf8Mark + [&] {
    std::string out;
    for (unsigned char c : text) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }();

  // Four runs beside the same sources, each to another set; the pattern
  // does not take the results.
  const std::vector<std::string> sets = {"utf-8", "utf-16", "utf-16be", "ISO-8859-1"};
  std::vector<StartedProgram> started;
  for (const std::string& set : sets)
    started.push_back(StartProgram(dir_, {"n???.txt", "/scs=windows-1252", "/dcs=" + set}));
  for (StartedProgram& program : started) {
    const ProgramRun run = program.Wait();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(std::to_string(kFiles) + " file(s) successfully converted"), std::string::npos)
        << run.output;
  }
  started.clear();
  for (int i = 0; i < kFiles; ++i) {
    ASSERT_EQ(Read(dir_ / Numbered(i, ".utf-8.txt")), utf8) << i;
    ASSERT_EQ(Read(dir_ / Numbered(i, ".ISO-8859-1.txt")), text) << i;
    ASSERT_EQ(fs::file_size(dir_ / Numbered(i, ".utf-16.txt")), 2 + 2 * text.size()) << i;
  }
  EXPECT_FALSE(HasTemporaries(dir_));

  // Three identical runs into one folder: every result whole.
  fs::create_directories(base_ / "out");
  for (int i = 0; i < 3; ++i)
    started.push_back(StartProgram(dir_, {"n???.txt", "/scs=windows-1252", "/output=" + (base_ / "out").string()}));
  for (StartedProgram& program : started) {
    const ProgramRun run = program.Wait();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("0 file(s) failed"), std::string::npos) << run.output;
  }
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(Read(base_ / "out" / Numbered(i, ".txt")), utf8) << i;
  EXPECT_EQ(Names(base_ / "out").size(), std::size_t(kFiles));
}

}  // namespace
}  // namespace recodo::test
