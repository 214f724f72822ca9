// Options as other tools spell them, and the word about an option no one
// knows.
#include "program_fixture.h"

namespace recodo::test {
namespace {

const std::string kUtf16Mark = "\xFF\xFE";

#if defined(_WIN32)
TEST_F(ProgramTest, AnUnknownOptionIsNamedOnTheConsole) {
  Write(dir_ / "a.txt", "a");
  // The runner gives the program one file for its output and error handles,
  // as a console does.
  const ProgramRun run = Run({"a.txt", "/dsc=utf-16", "-x", "other.txt", "/log=run.log"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "Unknown option ignored: /dsc=utf-16\nUnknown option ignored: -x\n") << "not only in a log";
  std::string log = Read(dir_ / "run.log");
  EXPECT_EQ(log.find("other.txt"), std::string::npos) << "not written as an option: ignored silently";
  EXPECT_EQ(Read(dir_ / "a.utf-8.txt"), kUtf8Mark + "a");
  EXPECT_EQ(Run({"a.txt", "/dsc=utf-16", "/silent"}).output, "");
}

TEST_F(ProgramTest, OptionsAsOtherToolsSpellThem) {
  Write(dir_ / "w1.txt", "w");
  const ProgramRun run = Run({"w1.txt", "--dcs=utf-16", "--replace", "--nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "w1.txt"), std::string("w\0", 2));
  EXPECT_FALSE(fs::exists(dir_ / "w1.utf-8.txt"));
  Write(dir_ / "tree" / "sub" / "deep.txt", "d");
  EXPECT_EQ(Run({Joined("tree", "*.txt"), "-r"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "tree" / "sub" / "deep.utf-8.txt"), kUtf8Mark + "d");
}
#else
TEST_F(ProgramTest, HelpAndVersionAsTheFirstItem) {
  for (const char* request : {"-h", "--help"}) {
    const ProgramRun run = Run({request});
    EXPECT_EQ(run.exitCode, 0) << request;
    EXPECT_EQ(run.output.rfind("Recodo \"", 0), 0u);
    EXPECT_NE(run.output.find("\n-1\t\tOut of memory\n"), std::string::npos);
    EXPECT_EQ(run.output.find('\r'), std::string::npos) << "lines end as a terminal's do";
    EXPECT_EQ(run.errors, "");
  }
  // Later items do not change the request; later in the line it is no request.
  EXPECT_EQ(Run({"--help", "/nobom"}).exitCode, 0);
  const ProgramRun version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.output.find('\n'), version.output.size() - 1) << version.output;
  EXPECT_EQ(version.output.rfind("Recodo \"", 0), 0u);
  const std::string bannerLine = version.output.substr(0, version.output.size() - 1);
  EXPECT_EQ(Run({"/?"}).output.rfind(bannerLine + "\r\n", 0), 0u) << "the usage text's first line";
  Write(dir_ / "a.txt", "a");
  const ProgramRun notFirst = Run({"a.txt", "--help"});
  EXPECT_EQ(notFirst.exitCode, 0);
  EXPECT_NE(notFirst.output.find("Success: "), std::string::npos);
  EXPECT_EQ(notFirst.errors, "Unknown option ignored: --help\n");
}

TEST_F(ProgramTest, DoubleDashOptionsAndShortRecursive) {
  Write(dir_ / "a.txt", "x\ny");
  fs::create_directories(dir_ / "out");
  const ProgramRun run = Run({"a.txt", "--dcs=utf-16", "--nobom", "--line=dos", "--output=out"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(Read(dir_ / "out" / "a.txt"), std::string("x\0\r\0\n\0y\0", 8));
  EXPECT_EQ(Run({"a.txt", "/dcs=utf-16", "/nobom", "/line=dos", "/output=out/b.txt"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "out" / "b.txt"), Read(dir_ / "out" / "a.txt"));

  Write(dir_ / "tree" / "top.txt", "t");
  Write(dir_ / "tree" / "sub" / "deep.txt", "d");
  const ProgramRun recursive = Run({Joined("tree", "*.txt"), "-r", "--dcs=utf-16"});
  EXPECT_EQ(recursive.exitCode, 0) << recursive.output;
  EXPECT_EQ(Read(dir_ / "tree" / "sub" / "deep.utf-16.txt"), kUtf16Mark + std::string("d\0", 2));
  EXPECT_NE(recursive.output.find("2 file(s) successfully converted"), std::string::npos) << recursive.output;
}

TEST_F(ProgramTest, AnUnknownOptionIsNamedOnTheTerminal) {
  Write(dir_ / "a.txt", "a");
  const ProgramRun run = Run({"a.txt", "--dsc=utf-16", "/dsc=x", "-v", "---nobom", "-"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors,
            "Unknown option ignored: --dsc=utf-16\n"
            "Unknown option ignored: /dsc=x\n"
            "Unknown option ignored: -v\n"
            "Unknown option ignored: ---nobom\n"
            "Ignored: - (the standard input is read only as the first item)\n");
  EXPECT_EQ(run.output.find("Unknown"), std::string::npos) << "the converted lines stay apart";
  EXPECT_EQ(Read(dir_ / "a.utf-8.txt"), kUtf8Mark + "a") << "still ignored";
  // A log takes the run's lines; the notice still reaches the terminal.
  const ProgramRun logged = Run({"a.txt", "--dsc=utf-16", "--log=run.log", "--loglevel=1"});
  EXPECT_EQ(logged.errors, "Unknown option ignored: --dsc=utf-16\n");
  EXPECT_EQ(Read(dir_ / "run.log").find("Unknown"), std::string::npos);
  const ProgramRun silent = Run({"a.txt", "--dsc=utf-16", "--silent"});
  EXPECT_EQ(silent.errors, "");
  EXPECT_EQ(silent.output, "");
}

TEST_F(ProgramTest, SeveralSourcesAsAShellExpandsAPattern) {
  Write(dir_ / "a.txt", "caf\xE9");
  Write(dir_ / "b.txt", "cr\xE8me");
  Write(dir_ / "sub" / "c.txt", "c");
  const std::string absolute = (dir_ / "b.txt").string();  // written like an option, and a file
  ProgramRun run = Run({"a.txt", absolute, "--replace", "missing.txt", Joined("sub", "*.txt"), "/nobom"});
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_EQ(run.errors, "") << "no source is taken for an unknown option";
  EXPECT_NE(run.output.find("3 file(s) successfully converted"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("1 file(s) failed to convert"), std::string::npos) << run.output;
  EXPECT_LT(run.output.find("] a.txt"), run.output.find("] b.txt")) << "in command-line order";
  EXPECT_EQ(Read(dir_ / "a.txt"), "caf\xC3\xA9");
  EXPECT_EQ(Read(dir_ / "b.txt"), "cr\xC3\xA8me");
  EXPECT_EQ(Read(dir_ / "sub" / "c.txt"), "c");
  // One file named twice is converted once; a folder among them fails alone.
  Write(dir_ / "d.txt", "d\xE9");
  run = Run({"d.txt", "d.txt", "sub", "--replace", "--nobom", "--scs=latin1"});
  EXPECT_EQ(run.exitCode, 3) << run.output;
  EXPECT_EQ(Read(dir_ / "d.txt"), "d\xC3\xA9");
  EXPECT_NE(run.output.find("is a file this run has converted already, under another name; it is skipped."),
            std::string::npos)
      << run.output;
  // Into one folder, as a pattern's results: a file there is refused.
  fs::create_directories(dir_ / "out");
  EXPECT_EQ(Run({"a.txt", "d.txt", "--output=out"}).exitCode, 0);
  EXPECT_EQ(Run({"a.txt", "d.txt", "--output=out/x.txt"}).exitCode, 5);
}
#endif

}  // namespace
}  // namespace recodo::test
