// The converter program run as users run it: destination bytes and names,
// printed lines, the log, and exit codes.

#include "program_fixture.h"

#if !defined(_WIN32)
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace recodo::test {
namespace {

TEST_F(ProgramTest, ASingleFileWithDefaults) {
  Write(dir_ / "notes.txt", "caf\xE9 cr\xE8me\r\n");
  const ProgramRun run = Run({"notes.txt"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output,
            "Destination character set: \"utf-8\" (Internal code 100)\n"
            "Source character set: Auto detect\n"
            "\n"
            "Success: [12 bytes + 5 Bytes] notes.txt\n"
            "\n"
            "1 file(s) successfully converted with total size of 12 Bytes\n"
            "0 file(s) failed to convert\n");
  EXPECT_EQ(Read(dir_ / "notes.utf-8.txt"), kUtf8Mark + "caf\xC3\xA9 cr\xC3\xA8me\r\n");
  EXPECT_EQ(Read(dir_ / "notes.txt"), "caf\xE9 cr\xE8me\r\n");
}

TEST_F(ProgramTest, NamedSetsLineBreaksAndOutputs) {
  Write(dir_ / "in" / "a.txt", "x\r\ny\n");
  fs::create_directories(dir_ / "out");
  // Names ignore case and print in the catalogue's spelling.
  ProgramRun run = Run({"in" + Sep() + "a.txt", "/SCS=WINDOWS-1252", "/dcs=UTF8", "/line=unix", "/output=out"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("Destination character set: \"utf-8\" (Internal code 100)\n"
                            "Source character set: \"Windows-1252\" (Internal code 18)\n\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "out" / "a.txt"), kUtf8Mark + "x\ny\n");

  // Into a named file, without a mark; a smaller result prints a negative
  // difference.
  Write(dir_ / "wide.txt", std::string("\xFF\xFEh\0i\0", 6));
  run = Run({"wide.txt", "/dcs=ISO-8859-1", "/output=narrow.txt", "/nobom"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("Success: [6 bytes + -4 Bytes] wide.txt\n"), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "narrow.txt"), "hi");

  // A file with no extension, and one with two.
  Write(dir_ / "README", "r");
  Write(dir_ / "a.tar.gz", "g");
  EXPECT_EQ(Run({"README", "/dcs=utf-16be"}).exitCode, 0);
  EXPECT_EQ(Run({"a.tar.gz", "/dcs=utf-16be"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "README.utf-16be"), std::string("\xFE\xFF\0r", 4));
  EXPECT_EQ(Read(dir_ / "a.tar.utf-16be.gz"), std::string("\xFE\xFF\0g", 4));
}

TEST_F(ProgramTest, ExitCodesAndTheirMessages) {
  Write(dir_ / "a.txt", "a");
  fs::create_directories(dir_ / "sub");

  ProgramRun run = Run({"missing.txt"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("Error 2: Conversion of \"missing.txt\" failed.\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("0 file(s) successfully converted with total size of 0 Bytes\n1 file(s) failed to convert\n"),
            std::string::npos);

  run = Run({"a.txt", "/output=nowhere" + Sep() + "b.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("Error 1: Conversion of \"a.txt\" failed.\n"), std::string::npos) << run.output;

  run = Run({"sub"});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.output.find("Invalid argument: sub is a directory. Use wildcards like *.txt instead!"),
            std::string::npos);

  run = Run({"a.txt", "/output=*.out"});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.output.find("Invalid argument: Wildcard in destination file is not allowed!"), std::string::npos);

  run = Run({"*.txt", "/output=missing-dir"});
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_NE(run.output.find("Invalid argument: File as destination for multiple source files are not allowed!"),
            std::string::npos);

  run = Run({"a.txt", "/dcs=klingon"});
  EXPECT_EQ(run.exitCode, 6);
  EXPECT_EQ(run.output, "Error 6: Character set \"klingon\" is unknown.");
  run = Run({"a.txt", "/scs="});
  EXPECT_EQ(run.exitCode, 6);

  // Nothing was converted by any of the refused runs.
  EXPECT_FALSE(fs::exists(dir_ / "a.utf-8.txt"));
}

TEST_F(ProgramTest, LogFilesAndSilence) {
  Write(dir_ / "a.txt", "a");
  for (int i = 0; i < 2; ++i) {
    const ProgramRun run = Run({"a.txt", "/log=run.log"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "");
  }
  std::string log = Read(dir_ / "run.log");
  std::erase(log, '\r');
  // Each run starts with its local time, "[2026-12-09 13:05:59]".
  for (std::size_t at = log.find("\n["); at != std::string::npos; at = log.find("\n[", at + 1)) {
    std::string time = log.substr(at + 2, 19);
    for (char& c : time)
      if (c >= '0' && c <= '9') c = '9';
    if (time == "9999-99-99 99:99:99") log.replace(at + 2, 19, "time");
  }
  const std::string oneRun =
      "\n[time] - Start\n\n"
      "Destination character set: \"utf-8\" (Internal code 100)\n"
      "Source character set: Auto detect\n\n"
      "Success: [1 bytes + 3 Bytes] a.txt\n\n"
      "1 file(s) successfully converted with total size of 1 Bytes\n"
      "0 file(s) failed to convert\n";
  EXPECT_EQ(log, oneRun + oneRun);

  const ProgramRun silent = Run({"missing.txt", "/silent"});
  EXPECT_EQ(silent.exitCode, 2);
  EXPECT_EQ(silent.output, "");
}

TEST_F(ProgramTest, WildcardRunsNeverMeetTheirOwnOutput) {
  Write(dir_ / "a.txt", "a");
  Write(dir_ / "b.txt", "b");
  Write(dir_ / "skip.dat", "d");
  Write(dir_ / "deep" / "c.txt", "c");
  Write(dir_ / "deep" / "deeper" / "d.txt", "d");
  ProgramRun run = Run({"*.txt", "/recursive"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("4 file(s) successfully converted with total size of 4 Bytes\n0 file(s) failed"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "deep" / "deeper" / "d.utf-8.txt"), kUtf8Mark + "d");
  EXPECT_FALSE(fs::exists(dir_ / "a.utf-8.utf-8.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "skip.utf-8.dat"));

  // Without /recursive only the start directory; a pattern that matches
  // nothing still ends well.
  run = Run({"*.none"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("0 file(s) successfully converted with total size of 0 Bytes\n0 file(s) failed"),
            std::string::npos);
}

// The Success and Error lines of a run, in order.
std::vector<std::string> FileLines(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = output.substr(start, end - start);
    if (line.rfind("Success: ", 0) == 0 || line.rfind("Error ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

TEST_F(ProgramTest, PatternRunsGoInNameOrderOnEveryPlatform) {
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) {
    std::string name = i < 10 ? "n0" : "n";
    names.push_back(name + std::to_string(i) + ".txt");
  }
  for (const std::string& name : names) Write(dir_ / name, "x");
  Write(dir_ / "a.txt", "x");
  Write(dir_ / "B.txt", "x");  // ASCII letters without case: a, B, n...

  std::vector<std::string> expected = {"Success: [1 bytes + 3 Bytes] a.txt", "Success: [1 bytes + 3 Bytes] B.txt"};
  for (const std::string& name : names) expected.push_back("Success: [1 bytes + 3 Bytes] " + name);
  EXPECT_EQ(FileLines(Run({"*.txt"}).output), expected);

  // Again: each source rewrites its earlier result, which the pattern lists
  // too and which is never converted itself.
  const ProgramRun again = Run({"*.txt"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(FileLines(again.output), expected);
  EXPECT_EQ(Read(dir_ / "n07.utf-8.txt"), kUtf8Mark + "x");
  EXPECT_FALSE(fs::exists(dir_ / "n07.utf-8.utf-8.txt"));
  // Whatever order the listing puts them in: ISO-8859-1 sorts before the
  // source's own name.
  const ProgramRun latin = Run({"n0*.txt", "/dcs=ISO-8859-1"});
  const ProgramRun latinAgain = Run({"n0*.txt", "/dcs=ISO-8859-1"});
  EXPECT_EQ(latin.exitCode, 0);
  EXPECT_EQ(latinAgain.exitCode, 0);
  EXPECT_EQ(FileLines(latinAgain.output), FileLines(latin.output));
  EXPECT_FALSE(fs::exists(dir_ / "n07.ISO-8859-1.ISO-8859-1.txt"));
}

#if !defined(_WIN32)
// The program's largest resident size among all it ran, as the system
// counts it for the children this test has waited for.
long LargestChildKiB() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_maxrss;
}

TEST_F(ProgramTest, AnUnclosedDeclarationValueTakesNoMoreMemoryThanAnyText) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"";
  {
    std::ofstream out(dir_ / "big.xml", std::ios::binary);
    out << head;
    const std::string run(1 << 20, 'x');
    for (int i = 0; i < 100; ++i) out << run;
  }
  const ProgramRun run = Run({"big.xml", "/xml", "/dcs=utf-16", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(fs::file_size(dir_ / "big.utf-16.xml"), 2 * (head.size() + (100u << 20)));
  EXPECT_LT(LargestChildKiB(), 64 * 1024);
}
#endif

TEST_F(ProgramTest, ErrorStopEndsTheScanOfTheDirectory) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    Write(dir_ / name, "x");
    fs::create_directories(base_ / "out" / name);  // a directory where each result should go
  }
  const std::string output = "/output=" + (base_ / "out").string();
  ProgramRun run = Run({"*.txt", output, "/error-stop"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("0 file(s) successfully converted with total size of 0 Bytes\n1 file(s) failed"),
            std::string::npos)
      << run.output;
  run = Run({"*.txt", output});
  EXPECT_NE(run.output.find("3 file(s) failed"), std::string::npos) << run.output;
}

TEST_F(ProgramTest, MoveNeverOverwritesWhatTheRunWrote) {
  Write(dir_ / "one" / "same.txt", "first");
  Write(dir_ / "two" / "same.txt", "second");
  fs::create_directories(base_ / "out");
  const ProgramRun run = Run({"*.txt", "/recursive", "/move", "/output=" + (base_ / "out").string()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("1 file(s) successfully converted with total size of"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("1 file(s) failed to convert"), std::string::npos);
  // One source moved, the other kept; the result is the first one's.
  const bool oneMoved = !fs::exists(dir_ / "one" / "same.txt");
  const bool twoMoved = !fs::exists(dir_ / "two" / "same.txt");
  EXPECT_NE(oneMoved, twoMoved);
  EXPECT_EQ(Read(base_ / "out" / "same.txt"), kUtf8Mark + (oneMoved ? "first" : "second"));
}

TEST_F(ProgramTest, ReplaceAndMoveKeepTheResult) {
  Write(dir_ / "r.txt", "caf\xE9");
  EXPECT_EQ(Run({"r.txt", "/replace", "/scs=ansi"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "r.txt"), kUtf8Mark + "caf\xC3\xA9");

  // The destination is the source under another spelling.
  Write(dir_ / "m.txt", "caf\xE9");
  EXPECT_EQ(Run({"m.txt", "/move", "/scs=ansi", "/output=." + Sep() + "m.txt"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "m.txt"), kUtf8Mark + "caf\xC3\xA9");

  Write(dir_ / "gone.txt", "g");
  EXPECT_EQ(Run({"gone.txt", "/move", "/output=kept.txt"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(dir_ / "gone.txt"));
  EXPECT_EQ(Read(dir_ / "kept.txt"), kUtf8Mark + "g");
}

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += std::string{c, '\0'};
  return wide;
}

TEST_F(ProgramTest, DeclarationsFollowTheConversion) {
  Write(dir_ / "cat.xml", "<?xml version=\"1.0\" encoding='ISO-8859-1'?>\n<a>caf\xE9</a>\n");
  ProgramRun run = Run({"cat.xml", "/xml", "/dcs=utf-16"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "cat.utf-16.xml"),
            "\xFF\xFE" + Utf16("<?xml version=\"1.0\" encoding='utf-16'?>\n<a>caf") + std::string("\xE9\0", 2) +
                Utf16("</a>\n"));

  Write(dir_ / "page.html",
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"></head>"
        "<body>\x80</body></html>");
  run = Run({"page.html", "/html", "/scs=windows-1252"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "page.utf-8.html"),
            kUtf8Mark +
                "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>"
                "<body>\xE2\x82\xAC</body></html>");

  // Without declarations the switches change nothing.
  Write(dir_ / "plain.xml", "<a>no declaration</a>");
  EXPECT_EQ(Run({"plain.xml", "/xml", "/html", "/output=with.xml"}).exitCode, 0);
  EXPECT_EQ(Run({"plain.xml", "/output=without.xml"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "with.xml"), Read(dir_ / "without.xml"));
}

TEST_F(ProgramTest, EveryFileOfABatchIsSearchedAgain) {
  fs::create_directories(base_ / "out");
  Write(dir_ / "one.xml", "<?xml version='1.0' encoding='latin1'?><a/>");
  Write(dir_ / "two.xml", "<?xml version='1.0' encoding='latin1'?><b/>");
  const ProgramRun run = Run({"*.xml", "/xml", "/scs=latin1", "/nobom", "/output=" + (base_ / "out").string()});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(base_ / "out" / "one.xml"), "<?xml version='1.0' encoding='utf-8'?><a/>");
  EXPECT_EQ(Read(base_ / "out" / "two.xml"), "<?xml version='1.0' encoding='utf-8'?><b/>");
}

TEST_F(ProgramTest, PrivilegeLinesReachTheLogOnlyAtLevelOne) {
  Write(dir_ / "a.txt", "a");
  EXPECT_EQ(Run({"a.txt", "/keep-owner", "/log=level1.log", "/loglevel=1"}).exitCode, 0);
  EXPECT_NE(Read(dir_ / "level1.log").find("Privileges: "), std::string::npos) << Read(dir_ / "level1.log");
  EXPECT_EQ(Run({"a.txt", "/keep-owner", "/log=level0.log"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "level0.log").find("Privileges: "), std::string::npos);
  const ProgramRun run = Run({"a.txt", "/keep-owner"});
  EXPECT_EQ(run.output.find("Privileges: "), std::string::npos);
}

#if defined(_WIN32)
TEST_F(ProgramTest, QuotedItemsKeepTheirSpaces) {
  Write(dir_ / "my notes.txt", "n");
  fs::create_directories(dir_ / "my out");
  const ProgramRun run = Run({"\"my notes.txt\"", "/output=\"my out\""});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "my out" / "my notes.txt"), kUtf8Mark + "n");
}
#else
TEST_F(ProgramTest, UsageTextOnStandardOutput) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{"/?"}, std::vector<std::string>{}}) {
    const ProgramRun run = Run(arguments);
    EXPECT_EQ(run.exitCode, ExitCodeMinusOne());
    EXPECT_EQ(run.output.rfind("Recodo \"", 0), 0u);
    EXPECT_NE(run.output.find("Windows-1252, "), std::string::npos);
    EXPECT_NE(run.output.find("-1\t\tOut of memory\r\n"), std::string::npos);
  }
  // "/?" first is the help request whatever follows: never a pattern that
  // converts and deletes files.
  Write(dir_ / "a", "a");
  Write(dir_ / "deeper" / "c", "c");
  const ProgramRun run = Run({"/?", "/dcs=utf-16", "/move", "/r"});
  EXPECT_EQ(run.exitCode, ExitCodeMinusOne());
  EXPECT_EQ(run.output.rfind("Recodo \"", 0), 0u);
  EXPECT_EQ(Read(dir_ / "a"), "a");
  EXPECT_EQ(Read(dir_ / "deeper" / "c"), "c");
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"a", "deeper"}));
}

TEST_F(ProgramTest, RecursiveRunsEndWhenLinksFormACycle) {
  Write(dir_ / "top.txt", "t");
  Write(dir_ / "sub" / "inner.txt", "i");
  fs::create_directory_symlink("..", dir_ / "sub" / "back-up");
  const ProgramRun run = Run({"*.txt", "/recursive"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("2 file(s) successfully converted"), std::string::npos) << run.output;
}

TEST_F(ProgramTest, OwnerGroupAndPermissionsAreCarriedOver) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give files away";
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  Write(dir_ / "owned.txt", "o");
  ASSERT_EQ(chown((dir_ / "owned.txt").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(chmod((dir_ / "owned.txt").c_str(), 0640), 0);
  struct stat info;
  EXPECT_EQ(Run({"owned.txt", "/keep-owner", "/keep-dacl"}).exitCode, 0);
  ASSERT_EQ(stat((dir_ / "owned.utf-8.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, nobody->pw_uid);
  EXPECT_EQ(info.st_gid, nobody->pw_gid);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Run({"owned.txt", "/keep-dacl", "/output=dacl-only.txt"}).exitCode, 0);
  ASSERT_EQ(stat((dir_ / "dacl-only.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u);  // "/keep-dacl" alone keeps the owner of whoever ran it
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ProgramTest, OwnerFromPrefixRenamesAndGivesAway) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give files away";
  Write(dir_ / "users.csv", "p01;nobody\n");
  Write(dir_ / "p01-report.txt", "r");
  const ProgramRun run = Run({"*.txt", "/private.ofp", "/private.utt=users.csv", "/log=run.log", "/loglevel=1"});
  EXPECT_EQ(run.exitCode, 0);
  struct stat info;
  ASSERT_EQ(stat((dir_ / "report.utf-8.txt").c_str(), &info), 0) << Read(dir_ / "run.log");
  EXPECT_EQ(info.st_uid, getpwnam("nobody")->pw_uid);
  EXPECT_TRUE(fs::exists(dir_ / "p01-report.txt"));  // the source keeps its name and owner
  EXPECT_NE(Read(dir_ / "run.log").find("Privileges: process privileges do not apply on this platform"),
            std::string::npos);
}

TEST_F(ProgramTest, LongPathsWork) {
  fs::path deep = dir_;
  for (int i = 0; i < 12; ++i) deep /= std::string(40, char('a' + i));
  Write(deep / "long.txt", "l");
  const ProgramRun run = Run({(deep / "long.txt").string()});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(deep / "long.utf-8.txt"), kUtf8Mark + "l");
}
#endif

}  // namespace
}  // namespace recodo::test
