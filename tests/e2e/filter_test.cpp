// "-" as the source: standard input converted to standard output (or a
// named file), with the run's lines on standard error.
#include "program_fixture.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace recodo::test {
namespace {

class FilterTest : public ProgramTest {
 protected:
  ProgramRun Filter(const std::vector<std::string>& arguments, const std::string& input) {
    return RunProgramWithInput(dir_, arguments, input);
  }
  // What converting the same bytes as a file gives.
  std::string AsFile(const std::string& input, std::vector<std::string> options) {
    Write(dir_ / "as-file.txt", input);
    options.insert(options.begin(), "as-file.txt");
    options.push_back("/output=as-file.out");
    const ProgramRun run = Run(options);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    return Read(dir_ / "as-file.out");
  }
};

TEST_F(FilterTest, StandardInputToStandardOutput) {
  const std::string input = "caf\xE9 cr\xE8me\n\x80 100\n";
  const ProgramRun run = Filter({"-", "/dcs=utf-16", "/line=dos"}, input);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, AsFile(input, {"/dcs=utf-16", "/line=dos"})) << "only the converted bytes";
  EXPECT_EQ(run.errors,
            "Destination character set: \"utf-16\" (Internal code 101)\n"
            "Source character set: Auto detect\n"
            "\n"
            "Success: [17 bytes + 23 Bytes] (standard input)\n"
            "\n"
            "1 file(s) successfully converted with total size of 17 Bytes\n"
            "0 file(s) failed to convert\n");
  const ProgramRun dashOutput = Filter({"-", "/dcs=utf-16", "/line=dos", "/output=-"}, input);
  EXPECT_EQ(dashOutput.output, run.output);
  EXPECT_EQ(dashOutput.errors, run.errors);
}

TEST_F(FilterTest, AFileOntoStandardOutput) {
  // "-" as the output is standard output for a file too, never a file so
  // named.
  const std::string input = "caf\xE9 cr\xE8me\n";
  Write(dir_ / "in.txt", input);
  ProgramRun run = Filter({"in.txt", "/dcs=utf-16", "/output=-"}, "");
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, AsFile(input, {"/dcs=utf-16"}));
  EXPECT_NE(run.errors.find("Success: [11 bytes + 13 Bytes] in.txt\n"), std::string::npos) << run.errors;
  EXPECT_FALSE(fs::exists(dir_ / "-"));
  EXPECT_EQ(Read(dir_ / "in.txt"), input);
  // What cannot be read says why; nor does a source give its place to it.
  run = Filter({"missing.txt", "/output=-"}, "");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.output, "");
  EXPECT_NE(run.errors.find("missing.txt\": "), std::string::npos) << run.errors;
  run = Filter({"in.txt", "/output=-", "/replace"}, "");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(Read(dir_ / "in.txt"), input);
  EXPECT_FALSE(fs::exists(dir_ / "-"));
}

TEST_F(FilterTest, DetectionGivesWhatAFileGetsWhateverTheLength) {
  // UTF-8 all along until a byte at the very end makes it Windows-1252 (a
  // byte 0x80..0x9F); past the bound the held input spills to a file.
  std::string utf8Then1252;
  while (utf8Then1252.size() < (std::size_t(3) << 20)) utf8Then1252 += "gr\xC3\xBC\xC3\x9F dich, ";
  utf8Then1252 += "\x93quoted\x94";
  const std::string texts[] = {"", "plain ASCII\n", "\xEF\xBB\xBFmarked \xE2\x82\xAC", std::string("\xFF\xFEh\0i\0", 6),
                               std::string("\xFE\xFF\0h\0i", 6), "caf\xE9", utf8Then1252};
  for (const std::string& input : texts) {
    const ProgramRun run = Filter({"-", "/dcs=utf-16be"}, input);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(run.output == AsFile(input, {"/dcs=utf-16be"})) << "input of " << input.size() << " bytes";
  }
  const ProgramRun empty = Filter({"-"}, "");
  EXPECT_EQ(empty.output, kUtf8Mark);
  EXPECT_NE(empty.errors.find("Success: [0 bytes + 3 Bytes] (standard input)\n"), std::string::npos) << empty.errors;
}

TEST_F(FilterTest, NamedOutputsLogsAndSilence) {
  ProgramRun toFile = Filter({"-", "/scs=latin1", "/output=out.txt"}, "na\xEFve");
  EXPECT_EQ(toFile.exitCode, 0);
  std::erase(toFile.output, '\r');
  EXPECT_EQ(Read(dir_ / "out.txt"), kUtf8Mark + "na\xC3\xAFve");
  EXPECT_NE(toFile.output.find("Success: [5 bytes + 4 Bytes] (standard input)\n"), std::string::npos)
      << "the result is not on standard output: the lines are";
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"out.txt"}) << "no temporary file left";

  const ProgramRun logged = Filter({"-", "/log=run.log"}, "x");
  EXPECT_EQ(logged.output, kUtf8Mark + "x");
  EXPECT_EQ(logged.errors, "");
  EXPECT_NE(Read(dir_ / "run.log").find("Success: [1 bytes + 3 Bytes] (standard input)"), std::string::npos);
  const ProgramRun silent = Filter({"-", "/silent", "/nobom"}, "x");
  EXPECT_EQ(silent.output, "x");
  EXPECT_EQ(silent.errors, "");
}

TEST_F(FilterTest, WhatStandardInputCannotDo) {
  Write(dir_ / "keep.txt", "kept");
  for (const char* option : {"/replace", "/move"}) {
    const ProgramRun run = Filter({"-", option}, "x");
    EXPECT_EQ(run.exitCode, 3) << option;
    EXPECT_NE(run.errors.find("Invalid argument: Standard input can not be replaced or moved."), std::string::npos);
    EXPECT_EQ(run.output, "");
  }
  const ProgramRun pattern = Filter({"-", "/output=*.txt"}, "x");
  EXPECT_EQ(pattern.exitCode, 4);
  EXPECT_NE(pattern.output.find("Invalid argument: Wildcard in destination file is not allowed!"), std::string::npos);
  fs::create_directories(dir_ / "folder");
  const ProgramRun folder = Filter({"-", "/output=folder"}, "x");
  EXPECT_EQ(folder.exitCode, 3);
  EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
  // A destination that cannot be written fails and keeps what was there.
  fs::create_directories(dir_ / "ro");
  Write(dir_ / "ro" / "old.txt", "old");
  fs::permissions(dir_ / "ro" / "old.txt", fs::perms::owner_read);
#if !defined(_WIN32)
  const bool mayWriteAnyway = geteuid() == 0;
#else
  const bool mayWriteAnyway = false;
#endif
  if (!mayWriteAnyway) {
    ProgramRun refused = Filter({"-", Joined("/output=ro", "old.txt")}, "new");
    EXPECT_EQ(refused.exitCode, 1);
    std::erase(refused.output, '\r');
    EXPECT_NE(refused.output.find("Error 1: Conversion of \"(standard input)\" failed."), std::string::npos)
        << refused.output;
    EXPECT_EQ(Names(dir_ / "ro"), std::vector<std::string>{"old.txt"});
  }
  fs::permissions(dir_ / "ro" / "old.txt", fs::perms::owner_all);
  EXPECT_EQ(Read(dir_ / "ro" / "old.txt"), "old");
  EXPECT_EQ(Read(dir_ / "keep.txt"), "kept");
}

}  // namespace
}  // namespace recodo::test
