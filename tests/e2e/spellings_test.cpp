// Options as other tools spell them, and the word about an option no one
// knows.
#include "program_fixture.h"

namespace recodo::test {
namespace {

const std::string kUtf16Mark = "\xFF\xFE";

#if defined(_WIN32)
TEST_F(ProgramTest, AnUnknownOptionIsNamedWhereDiagnosticsGo) {
  Write(dir_ / "a.txt", "a");
  const ProgramRun run = Run({"a.txt", "/dsc=utf-16", "-x", "other.txt", "/log=run.log", "/loglevel=1"});
  EXPECT_EQ(run.exitCode, 0);
  std::string log = Read(dir_ / "run.log");
  std::erase(log, '\r');
  EXPECT_NE(log.find("Unknown option ignored: /dsc=utf-16\nUnknown option ignored: -x\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("other.txt"), std::string::npos) << "not written as an option: ignored silently";
  EXPECT_EQ(Read(dir_ / "a.utf-8.txt"), kUtf8Mark + "a");
  // Below level 1 diagnostics are discarded, and the notice with them.
  EXPECT_EQ(Run({"a.txt", "/dsc=utf-16", "/log=quiet.log"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "quiet.log").find("Unknown option"), std::string::npos);
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
  const ProgramRun run = Run({"a.txt", "--dsc=utf-16", "/dsc=x", "-v", "---nobom", "other.txt", "-"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.errors,
            "Unknown option ignored: --dsc=utf-16\n"
            "Unknown option ignored: /dsc=x\n"
            "Unknown option ignored: -v\n"
            "Unknown option ignored: ---nobom\n");
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
#endif

}  // namespace
}  // namespace recodo::test
