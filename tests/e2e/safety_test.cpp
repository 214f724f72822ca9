// What users own is never lost or exposed by the real program: exit codes
// that tell the truth, runs at once, paths as the system resolves them,
// lossy conversions, permissions, links and special files.
#include <cstdio>
#include <set>

#include "program_fixture.h"
#include "reference/latin1_text.h"

#if !defined(_WIN32)
#include <pwd.h>
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
  const std::string utf8 = kUtf8Mark + Latin1AsUtf8(text);

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

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += std::string{c, '\0'};
  return wide;
}

TEST_F(ProgramTest, PathsNameTheFilesTheSystemOpens) {
  // '/' in a pattern separates on Windows too.
  Write(dir_ / "keep.txt", "k");
  Write(dir_ / "other" / "o.txt", "o");
  ProgramRun run = Run({"other/*.txt", "/replace", "/dcs=utf-16", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "keep.txt"), "k");
  EXPECT_EQ(Read(dir_ / "other" / "o.txt"), Utf16("o"));
  run = Run({"other/*.txt", "/move", "/scs=utf-16"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "keep.txt"), "k");
  EXPECT_FALSE(fs::exists(dir_ / "other" / "o.txt"));
  EXPECT_EQ(Read(dir_ / "other" / "o.utf-8.txt"), kUtf8Mark + "o");

  // One source in a subfolder, moved: its result goes beside it.
  Write(dir_ / "sub" / "a.txt", "a");
  EXPECT_EQ(Run({"sub/a.txt", "/move"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "sub" / "a.utf-8.txt"), kUtf8Mark + "a");
  EXPECT_FALSE(fs::exists(dir_ / "a.utf-8.txt"));

  // An absolute path written with '/'.
  Write(dir_ / "x" / "small.txt", "s");
  EXPECT_EQ(Run({(dir_ / "x" / "small.txt").generic_string()}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "x" / "small.utf-8.txt"), kUtf8Mark + "s");

  // Leading ".." steps of a relative path: from p/a/b, ../../c/x.txt is
  // p/c/x.txt, and so is the destination ../../out.txt p/out.txt.
  const fs::path deep = base_ / "p" / "a" / "b";
  fs::create_directories(deep);
  Write(base_ / "p" / "c" / "x.txt", "x");
  const std::string up = Joined("..", "..") + Sep();
  run = RunIn(deep, {up + Joined("c", "x.txt"), "/replace", "/dcs=utf-16", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(base_ / "p" / "c" / "x.txt"), Utf16("x"));
  run = RunIn(deep, {"../../c/x.txt", "/scs=utf-16", "/output=" + up + "out.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(base_ / "p" / "out.txt"), kUtf8Mark + "x");
  run = RunIn(deep, {"../../c/*.txt", "/scs=utf-16", "/move", "/output=" + up + ".."});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(base_ / "x.txt"), kUtf8Mark + "x");
  EXPECT_FALSE(fs::exists(base_ / "p" / "c" / "x.txt"));
}

TEST_F(ProgramTest, ATrailingSeparatorNamesAFolderThatMustExist) {
  Write(dir_ / "a.txt", "a");
  std::vector<std::string> outputs = {"/output=newdir" + Sep(), "/output=newdir/"};
  for (const std::string& output : outputs) {
    for (const char* mode : {"/move", "/nobom"}) {
      const ProgramRun run = Run({"a.txt", output, mode});
      EXPECT_EQ(run.exitCode, 1) << output << " " << mode;
      EXPECT_NE(run.output.find("newdir" + Sep() + "\": "), std::string::npos) << "names the folder: " << run.output;
      EXPECT_NE(run.output.find("Error 1: Conversion of \"a.txt\" failed."), std::string::npos) << run.output;
      EXPECT_EQ(Names(dir_), std::vector<std::string>{"a.txt"}) << output << " " << mode;
      EXPECT_EQ(Read(dir_ / "a.txt"), "a");
    }
  }
  // An existing folder so named takes the result.
  fs::create_directories(dir_ / "newdir");
  EXPECT_EQ(Run({"a.txt", "/output=newdir" + Sep()}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "newdir" / "a.txt"), kUtf8Mark + "a");
}

TEST_F(ProgramTest, LossyResultsAreToldAndNeverReplaceTheirSource) {
  // Chinese and Russian, and a question mark of the text's own.
  const std::string zh = "\xE4\xB8\xAD\xE6\x96\x87 \xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9 ok?";
  Write(dir_ / "zh.txt", zh);
  ProgramRun run = Run({"zh.txt", "/dcs=windows-1252"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("zh.txt\nWarning: 9 characters of \"zh.txt\" could not be converted exactly.\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "zh.Windows-1252.txt"), "?? ??????? ok?");

  run = Run({"zh.txt", "/dcs=windows-1252", "/replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("9 characters of \"zh.txt\" could not be converted exactly; the source is kept as it "
                            "was (/lossy replaces it all the same).\nError 1: Conversion of \"zh.txt\" failed.\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "zh.txt"), zh);

  run = Run({"zh.txt", "/dcs=windows-1252", "/move", "/output=moved.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("the source is kept beside the result (/lossy moves it all the same)"), std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "zh.txt"), zh);
  EXPECT_EQ(Read(dir_ / "moved.txt"), "?? ??????? ok?");
  EXPECT_FALSE(HasTemporaries(dir_));

  run = Run({"zh.txt", "/dcs=windows-1252", "/replace", "/lossy"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Warning: 9 characters"), std::string::npos);
  EXPECT_EQ(Read(dir_ / "zh.txt"), "?? ??????? ok?");

  // Every kind of loss, once per character; a text that converts exactly
  // says nothing.
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::string> options;
    int losses;
  } cases[] = {
      {"malformed.txt", "a\xFF\xC3(b", {"/scs=utf-8"}, 2},
      {"undefined.txt", "a\x81\x8D b", {"/scs=windows-1252"}, 2},
      {"odd.txt", std::string("\xFF\xFEh\0i", 5), {}, 1},
      {"lone.txt", std::string("\xFF\xFE\x00\xD8" "a\0", 6), {}, 1},
      {"latin12.txt", "Gr\xFC\xDF" "e", {"/scs=ISO-8859-12"}, 2},
      {"emoji.txt", "\xF0\x9F\x98\x80 ok?", {"/dcs=ISO-8859-1"}, 1},
      {"clean.txt", "plain? text \xC3\xA9", {"/dcs=ISO-8859-1"}, 0},
  };
  for (const auto& c : cases) {
    Write(dir_ / c.name, c.bytes);
    std::vector<std::string> arguments = {c.name, "/output=out-" + std::string(c.name)};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    run = Run(arguments);
    EXPECT_EQ(run.exitCode, 0) << c.name << run.output;
    const std::string warning = "Warning: " + std::to_string(c.losses) + " characters of \"" + c.name + "\"";
    if (c.losses == 0) {
      EXPECT_EQ(run.output.find("Warning"), std::string::npos) << c.name << run.output;
    } else {
      EXPECT_NE(run.output.find(warning), std::string::npos) << c.name << run.output;
    }
  }
}

TEST_F(ProgramTest, ARunNeverWritesOverItsOtherSourcesOrItsLog) {
  Write(dir_ / "tree" / "x.txt", "TOP");
  Write(dir_ / "tree" / "sub" / "x.txt", "SUB original");
  ProgramRun run = Run({Joined("tree", "*.txt"), "/r", Joined("/output=tree", "sub")});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find(" is also a source of this run; \"x.txt\" is not converted onto it.\n"
                            "Error 1: Conversion of \"x.txt\" failed.\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("1 file(s) successfully converted"), std::string::npos);
  EXPECT_EQ(Read(dir_ / "tree" / "sub" / "x.txt"), "SUB original");
  EXPECT_EQ(Read(dir_ / "tree" / "sub" / "x.utf-8.txt"), kUtf8Mark + "SUB original");

  // The log among the files the pattern takes is never converted.
  Write(dir_ / "d" / "a.txt", "a");
  Write(dir_ / "d" / "sub" / "b.txt", "b");
  const std::string log = Joined("/log=d", "run.txt");
  for (int i = 0; i < 2; ++i) {
    run = Run({Joined("d", "*.txt"), "/r", log, "/replace"});
    EXPECT_EQ(run.exitCode, 0);
  }
  std::string text = Read(dir_ / "d" / "run.txt");
  EXPECT_EQ(text.rfind("\r\n[", 0) == 0 || text.rfind("\n[", 0) == 0, true) << "not converted: " << text;
  std::erase(text, '\r');
  EXPECT_NE(text.find("2 file(s) successfully converted with total size of 2 Bytes\n0 file(s) failed to convert\n\n["),
            std::string::npos)
      << text;
  EXPECT_NE(text.rfind("2 file(s) successfully converted with total size of 8 Bytes\n0 file(s) failed to convert\n"),
            std::string::npos)
      << text;

  // Nor is it a destination, nor a source named alone: both are refused
  // before the log is opened, and the files stay whole.
  const std::string before = Read(dir_ / "d" / "run.txt");
  run = Run({Joined("d", "a.txt"), Joined("/output=d", "run.txt"), log});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("is the destination of this run; nothing is written into it.\n"), std::string::npos)
      << run.output;
  run = Run({Joined("d", "run.txt"), log, "/replace"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("is the source of this run; it is neither converted nor written into.\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "d" / "run.txt"), before);
  // The log named as the source's automatic destination.
  Write(dir_ / "s.txt", "caf\xE9");
  Write(dir_ / "s.utf-8.txt", "an earlier result");
  run = Run({"s.txt", "/log=s.utf-8.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Read(dir_ / "s.utf-8.txt"), "an earlier result");
  EXPECT_EQ(Read(dir_ / "s.txt"), "caf\xE9");
  EXPECT_EQ(Run({"s.txt", "/log=s.utf-8.txt", "/silent"}).output, "");
}

TEST_F(ProgramTest, ALogThatCannotBeOpenedIsSaidOnce) {
  Write(dir_ / "a.txt", "a");
  const std::string log = (base_ / "missing" / "x.log").string();
  ProgramRun run = Run({"a.txt", "/log=" + log});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output.rfind("The log file \"" + log + "\" could not be opened: ", 0), 0u) << run.output;
  EXPECT_EQ(run.output.find("could not be opened", run.output.find('\n')), std::string::npos) << "once";
  EXPECT_NE(run.output.find("Success: [1 bytes + 3 Bytes] a.txt\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("0 file(s) failed to convert\n"), std::string::npos);
  run = Run({"a.txt", "/log=" + log, "/silent"});
  EXPECT_EQ(run.output, "");
}

// Wine cannot make links (the host's are tested by wine_host_test.sh).
bool MakeLink(const fs::path& target, const fs::path& link) {
  std::error_code error;
  fs::create_symlink(target, link, error);
  return !error;
}

bool IsLink(const fs::path& path) { return fs::is_symlink(path); }

TEST_F(ProgramTest, ALinkedDestinationReplacesWhatItPointsTo) {
  Write(dir_ / "real.txt", "caf\xE9");
  if (!MakeLink("real.txt", dir_ / "link.txt")) GTEST_SKIP() << "no symbolic links here";
  ProgramRun run = Run({"link.txt", "/replace", "/scs=windows-1252"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(IsLink(dir_ / "link.txt"));
  EXPECT_EQ(Read(dir_ / "real.txt"), kUtf8Mark + "caf\xC3\xA9");

  // A destination named by a link, a chain of them, and one that points
  // at nothing yet: the system would write the file they name.
  Write(dir_ / "in.txt", "i");
  Write(dir_ / "target.txt", "old");
  ASSERT_TRUE(MakeLink("target.txt", dir_ / "first.txt") && MakeLink("first.txt", dir_ / "second.txt"));
  const bool dangling = MakeLink("missing.txt", dir_ / "dangling.txt");
  EXPECT_EQ(Run({"in.txt", "/output=second.txt"}).exitCode, 0);
  EXPECT_TRUE(IsLink(dir_ / "second.txt") && IsLink(dir_ / "first.txt"));
  EXPECT_EQ(Read(dir_ / "target.txt"), kUtf8Mark + "i");
  if (dangling) {
    EXPECT_EQ(Run({"in.txt", "/output=dangling.txt"}).exitCode, 0);
    EXPECT_TRUE(IsLink(dir_ / "dangling.txt"));
    EXPECT_EQ(Read(dir_ / "missing.txt"), kUtf8Mark + "i");
  }

  // Moved onto a link to itself: the result takes its place, nothing is lost.
  Write(dir_ / "self.txt", "s");
  ASSERT_TRUE(MakeLink("self.txt", dir_ / "to-self.txt"));
  EXPECT_EQ(Run({"self.txt", "/move", "/output=to-self.txt"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "self.txt"), kUtf8Mark + "s");
  EXPECT_FALSE(HasTemporaries(dir_));
}

TEST_F(ProgramTest, AHardLinkedFileIsReplacedAsANewFile) {
  Write(dir_ / "one.txt", "caf\xE9");
  std::error_code error;
  fs::create_hard_link(dir_ / "one.txt", dir_ / "two.txt", error);
  if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  EXPECT_EQ(Run({"one.txt", "/replace", "/scs=windows-1252"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "one.txt"), kUtf8Mark + "caf\xC3\xA9");
  EXPECT_EQ(Read(dir_ / "two.txt"), "caf\xE9");
}

#if defined(_WIN32)
TEST_F(ProgramTest, AReadOnlyDestinationIsRefused) {
  Write(dir_ / "ro.txt", "caf\xE9");
  Write(dir_ / "in.txt", "i");
  fs::permissions(dir_ / "ro.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"ro.txt", "/replace"}, std::vector<std::string>{"in.txt", "/output=ro.txt"}}) {
    const ProgramRun run = Run(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("Error 1: Conversion of"), std::string::npos) << run.output;
    EXPECT_EQ(Read(dir_ / "ro.txt"), "caf\xE9");
  }
  EXPECT_FALSE(HasTemporaries(dir_));
  fs::permissions(dir_ / "ro.txt", fs::perms::owner_write, fs::perm_options::add);
}
#else
mode_t Mode(const fs::path& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 07777;
}

TEST_F(ProgramTest, ResultsAreNeverMoreReadableThanTheirSources) {
  Write(dir_ / "private.txt", "p");
  chmod((dir_ / "private.txt").c_str(), 0600);
  EXPECT_EQ(Run({"private.txt"}).exitCode, 0);
  EXPECT_EQ(Mode(dir_ / "private.utf-8.txt"), 0600u);
  Write(dir_ / "group.txt", "g");
  chmod((dir_ / "group.txt").c_str(), 0640);
  EXPECT_EQ(Run({"group.txt", "/move"}).exitCode, 0);
  // A new file, as every new file, takes away what the user's mask takes.
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(Mode(dir_ / "group.utf-8.txt"), 0640u & ~mask);
  // An existing destination keeps its own mode, the source's too when it
  // is the source.
  Write(dir_ / "existing.txt", "old");
  chmod((dir_ / "existing.txt").c_str(), 0604);
  EXPECT_EQ(Run({"private.txt", "/output=existing.txt"}).exitCode, 0);
  EXPECT_EQ(Mode(dir_ / "existing.txt"), 0604u);
  EXPECT_EQ(Run({"private.txt", "/replace", "/dcs=utf-16"}).exitCode, 0);
  EXPECT_EQ(Mode(dir_ / "private.txt"), 0600u);
}

TEST_F(ProgramTest, AReplacedFileKeepsItsOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give files away";
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  Write(dir_ / "theirs.txt", "caf\xE9");
  ASSERT_EQ(chown((dir_ / "theirs.txt").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  chmod((dir_ / "theirs.txt").c_str(), 0640);
  EXPECT_EQ(Run({"theirs.txt", "/replace", "/scs=windows-1252"}).exitCode, 0);
  struct stat info;
  ASSERT_EQ(stat((dir_ / "theirs.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, nobody->pw_uid);
  EXPECT_EQ(info.st_gid, nobody->pw_gid);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(Read(dir_ / "theirs.txt"), kUtf8Mark + "caf\xC3\xA9");
}

TEST_F(ProgramTest, ADestinationItsUserMayNotWriteIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  // A folder anyone may write in, so that only the file says no.
  chmod(base_.c_str(), 0777);
  chmod(dir_.c_str(), 0777);
  Write(dir_ / "in.txt", "i");
  chmod((dir_ / "in.txt").c_str(), 0644);
  Write(dir_ / "locked.txt", "locked");
  chmod((dir_ / "locked.txt").c_str(), 0444);
  Write(dir_ / "mine.txt", "mine");
  chown((dir_ / "mine.txt").c_str(), getpwnam("nobody")->pw_uid, getpwnam("nobody")->pw_gid);
  chmod((dir_ / "mine.txt").c_str(), 0444);
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"in.txt", "/output=locked.txt"}, std::vector<std::string>{"mine.txt", "/replace"}}) {
    const ProgramRun run = StartProgramAs("nobody", dir_, arguments).Wait();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Permission denied\nError 1: Conversion of"), std::string::npos) << run.output;
  }
  EXPECT_EQ(Read(dir_ / "locked.txt"), "locked");
  EXPECT_EQ(Read(dir_ / "mine.txt"), "mine");
  EXPECT_FALSE(HasTemporaries(dir_));
}

TEST_F(ProgramTest, DotDotAfterALinkIsTakenAsTheSystemTakesIt) {
  Write(base_ / "far" / "x.txt", "far");
  fs::create_directories(base_ / "far" / "deep");
  Write(dir_ / "x.txt", "near");
  fs::create_directory_symlink(base_ / "far" / "deep", dir_ / "link");
  const ProgramRun run = Run({"link/../x.txt", "/replace", "/dcs=utf-16", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(base_ / "far" / "x.txt"), Utf16("far"));
  EXPECT_EQ(Read(dir_ / "x.txt"), "near");
}

TEST_F(ProgramTest, SpecialFilesAreRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo((dir_ / "p.txt").c_str(), 0600), 0);
  ProgramRun run = Run({"p.txt"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("Not a regular file\nError 2: Conversion of \"p.txt\" failed.\n"), std::string::npos)
      << run.output;
  Write(dir_ / "a.txt", "a");
  run = Run({"*.txt"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("1 file(s) successfully converted"), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "a.utf-8.txt"), kUtf8Mark + "a");
  run = Run({"/dev/zero"});
  EXPECT_NE(run.output.find("Not a regular file\n"), std::string::npos) << run.output;
  // Nor is a pipe or device ever replaced by a result.
  run = Run({"a.txt", "/output=p.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("Not a regular file\n"), std::string::npos) << run.output;
  struct stat info;
  ASSERT_EQ(lstat((dir_ / "p.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_FALSE(HasTemporaries(dir_));
}

TEST_F(ProgramTest, NamesThatAreNotUtf8AreOpened) {
  Write(dir_ / "caf\xE9.txt", "x");
  ProgramRun run = Run({"caf\xE9.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("] caf\xEF\xBF\xBD.txt\n"), std::string::npos) << "shown as U+FFFD: " << run.output;
  EXPECT_EQ(Read(dir_ / "caf\xE9.utf-8.txt"), kUtf8Mark + "x");
  // Listed by a pattern, and detected: the file is read under its own name.
  Write(dir_ / "l\xE9t\xE9.txt", std::string("\xFF\xFEh\0", 4));
  run = Run({"l*.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "l\xE9t\xE9.utf-8.txt"), kUtf8Mark + "h");
}
#endif

}  // namespace
}  // namespace recodo::test
