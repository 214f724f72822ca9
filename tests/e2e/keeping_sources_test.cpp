// Nothing lost, nothing made up, by the real program: files that change
// while they are converted, weak guesses, bytes that are no text, results
// and renames that would overwrite, and mistyped line-break types.
#include <atomic>
#include <cstdio>
#include <sstream>
#include <thread>

#include "program_fixture.h"
#include "reference/latin1_text.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace recodo::test {
namespace {

std::string Latin1Text(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += "Caf\xE9 cr\xE8me br\xFBl\xE9" "e, line " + std::to_string(i) + "\n";
  return text;
}

// A literal's bytes, zeros included.
template <std::size_t N>
std::string Literal(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string Numbered(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "r%04d.txt", i);
  return name;
}

TEST_F(ProgramTest, RunsAtOnceInPlaceEncodeEachFileOnce) {
  constexpr int kFiles = 120;
  const std::string latin1 = Latin1Text(20);
  const std::string utf8 = kUtf8Mark + Latin1AsUtf8(latin1);
  for (int i = 0; i < kFiles; ++i) Write(dir_ / Numbered(i), latin1);
  std::vector<StartedProgram> started;
  for (int i = 0; i < 4; ++i) started.push_back(StartProgram(dir_, {"r*.txt", "/replace"}));
  for (StartedProgram& program : started) {
    const ProgramRun run = program.Wait();
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 1 || run.exitCode == 2) << run.output;
    // A file another run replaced meanwhile is left to that run, and said so;
    // so is one that another run held open for longer than this one waits.
    EXPECT_EQ(Count(run.output, "Error 1: "), Count(run.output, " changed while it was converted")) << run.output;
    EXPECT_EQ(Count(run.output, "Error 2: "), Count(run.output, ": Sharing violation.")) << run.output;
  }
  for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Read(dir_ / Numbered(i)) == utf8) << "encoded twice: " << Numbered(i);
  for (const std::string& name : Names(dir_)) EXPECT_EQ(name.find("~recodo"), std::string::npos) << name;
}

TEST_F(ProgramTest, AWeakGuessNeverReplacesItsSource) {
  const std::string naive = "na\xEFve caf\xE9";
  Write(dir_ / "naive.txt", naive);
  ProgramRun run = Run({"naive.txt", "/guess", "/replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("The set of \"naive.txt\" is only a guess, Windows-1252 ("), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("%); the source is kept as it was. Name the set with /scs= to convert it.\n"
                            "Error 1: Conversion of \"naive.txt\" failed.\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "naive.txt"), naive);
  // Into a new file it goes ahead, with a warning; short texts lean to the
  // common set.
  Write(dir_ / "caimans.txt", "Les ca\xEFmans nagent.");
  run = Run({"caimans.txt", "/guess"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Warning: the set of \"caimans.txt\" is only a guess, Windows-1252"), std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "caimans.utf-8.txt"), kUtf8Mark + "Les ca\xC3\xAFmans nagent.");
  // Named, it is the user's word.
  EXPECT_EQ(Run({"naive.txt", "/scs=windows-1252", "/replace"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "naive.txt"), kUtf8Mark + "na\xC3\xAFve caf\xC3\xA9");
}

TEST_F(ProgramTest, ATextDetectionOnlyFellBackOnIsNotReplacedWithWhatItMadeOfIt) {
  // UTF-8 but for one stray byte: detection falls back to Windows-1252,
  // which would spell every accent in two characters.
  std::string text;
  for (int i = 0; i < 40; ++i) text += "Gr\xC3\xB6\xC3\x9F" "e und \xC3\x9C" "bergr\xC3\xB6\xC3\x9F" "e f\xC3\xBCr caf\xC3\xA9. ";
  text += "\xE9 end\n";
  Write(dir_ / "u.txt", text);
  ProgramRun run = Run({"u.txt", "/replace"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("Detection found no more than Windows-1252 in \"u.txt\", which may read as another set; "
                            "the source is kept as it was. Name the set with /scs= to convert it.\nHint: \"u.txt\" "
                            "reads as utf-8"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "u.txt"), text);
  EXPECT_EQ(Run({"u.txt", "/move"}).exitCode, 1);
  EXPECT_EQ(Read(dir_ / "u.txt"), text);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "u.utf-8.txt"));
  // Into a new file it goes ahead as before, the hint told; named, the set
  // is the user's word.
  run = Run({"u.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Hint: \"u.txt\" reads as utf-8"), std::string::npos) << run.output;
  EXPECT_EQ(Run({"u.txt", "/scs=windows-1252", "/replace"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "u.txt").substr(0, 7), kUtf8Mark + "Gr\xC3\x83");
}

TEST_F(ProgramTest, ADefaultRunReplacesOnlyWhatTheGuessBearsOut) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case kept[] = {
      // UTF-8 with stray Latin-1 letters, too many for a sure guess.
      {"mixed.txt", "Caf\xC3\xA9 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9 \xE9t\xE9\n"},
      // Short legacy texts the guess reads as another set, not for certain.
      {"privet.txt", "\xCF\xF0\xE8\xE2\xE5\xF2\n"},
      // UTF-32 without a mark, which detection takes for UTF-16.
      {"hi.txt", std::string("H\0\0\0i\0\0\0\n\0\0\0", 12)},
      // Russian after more ASCII than the guess reads.
      {"tail.txt", std::string(70000, 'a') + "\n\xCF\xF0\xE8\xE2\xE5\xF2\n"},
  };
  for (const Case& c : kept) {
    Write(dir_ / c.name, c.bytes);
    const ProgramRun run = Run({c.name, "/replace"});
    EXPECT_EQ(run.exitCode, 1) << c.name << run.output;
    EXPECT_NE(run.output.find("which may read as another set; the source is kept as it was."), std::string::npos)
        << run.output;
    EXPECT_EQ(Read(dir_ / c.name), c.bytes) << c.name;
  }
  // Windows-1252 that the Turkish set reads alike is no other set's text;
  // nor is prose the guess reads as Windows-1252.
  const std::string dashes = "Temperatures of 20\xB0\x96" "25\xB0 are \x93normal\x94 \x97 or so they say\x85 Cost: \x80" "10.\n";
  const std::string prose = "Le ch\xE2teau de la for\xEAt \xE9tait d\xE9j\xE0 tr\xE8s c\xE9l\xE8" "bre.\n";
  for (const std::string& bytes : {dashes, prose}) {
    Write(dir_ / "w.txt", bytes);
    const ProgramRun run = Run({"w.txt", "/replace"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("Hint:"), std::string::npos) << run.output;
    EXPECT_EQ(Read(dir_ / "w.txt").substr(0, 3), kUtf8Mark);
  }
}

TEST_F(ProgramTest, FilesThatAreNoTextAreKeptUnlessTheirSetIsNamed) {
  const std::string gz = Literal("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03\xE9\xC3\x80 data");
  const std::string docx = Literal("PK\x03\x04\x14\x00\x06\x00\x08\x00\xE9\x80\xFF word/document.xml");
  const std::string elf = Literal("\x7F" "ELF\x02\x01\x01\x00\x00\x00\x00\x00\xE9\xFF");
  Write(dir_ / "a.gz", gz);
  Write(dir_ / "b.docx", docx);
  Write(dir_ / "c", elf);
  ProgramRun run = Run({"*", "/replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Count(run.output, " is not text (it holds zero bytes or control characters); the source is kept as it "
                              "was. Name its set with /scs= to convert it all the same.\n"),
            3)
      << run.output;
  EXPECT_NE(run.output.find("0 file(s) successfully converted"), std::string::npos);
  EXPECT_EQ(Read(dir_ / "a.gz"), gz);
  EXPECT_EQ(Read(dir_ / "b.docx"), docx);
  EXPECT_EQ(Read(dir_ / "c"), elf);
  run = Run({"c", "/move", "/output=moved"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Read(dir_ / "c"), elf);
  EXPECT_FALSE(fs::exists(dir_ / "moved"));
  // The guess refuses it even into a new file.
  run = Run({"c", "/guess"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("\"c\" is not text (it holds zero bytes or control characters); its set is not guessed."),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(fs::exists(dir_ / "c.utf-8"));
  // Into a new file detection converts it, with a warning.
  run = Run({"a.gz"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("Warning: \"a.gz\" is not text (it holds zero bytes or control characters); it was "
                            "converted all the same.\n"),
            std::string::npos)
      << run.output;
  // A named set is the user's word.
  EXPECT_EQ(Run({"c", "/scs=windows-1252", "/replace"}).exitCode, 0);
  EXPECT_NE(Read(dir_ / "c"), elf);
}

TEST_F(ProgramTest, GuessOnlySaysWhatItCouldNotReadAndWhatIsNoText) {
  Write(dir_ / "program", Literal("\x7F" "ELF\x02\x01\x01\x00\x00\xE9\xFF"));
  Write(dir_ / "text.txt", "plain");
  ProgramRun run = Run({"program", "/guess-only"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "program\t-\t-\t0\n");
  run = Run({"missing.txt", "/guess-only"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.output.rfind("missing.txt: ", 0), 0u) << run.output;
  EXPECT_EQ(Count(run.output, "\n"), 1) << run.output;
  fs::create_directories(dir_ / "folder.txt");
  run = Run({"*.txt", "/guess-only"});
  EXPECT_EQ(run.exitCode, 0) << "a folder is not among the files of a pattern";
#if !defined(_WIN32)
  ASSERT_EQ(mkfifo((dir_ / "pipe.txt").c_str(), 0600), 0);
  fs::create_symlink("nowhere.txt", dir_ / "dangling.txt");
  fs::create_symlink("loop2.txt", dir_ / "loop1.txt");
  fs::create_symlink("loop1.txt", dir_ / "loop2.txt");
  for (const char* name : {"pipe.txt", "dangling.txt", "loop1.txt"}) {
    run = Run({name, "/guess-only"});
    EXPECT_EQ(run.exitCode, 2) << name;
    EXPECT_EQ(run.output.rfind(std::string(name) + ": ", 0), 0u) << run.output;
  }
  run = Run({"*.txt", "/guess-only"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.output.find("text.txt\tISO-8859-1\t-\t100\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("pipe.txt: Not a regular file\n"), std::string::npos) << run.output;
#endif
}

TEST_F(ProgramTest, ResultsOfOneRunNeverOverwriteEachOther) {
  Write(dir_ / "src" / "x.txt", "top");
  Write(dir_ / "src" / "a" / "x.txt", "in a");
  Write(dir_ / "src" / "b" / "x.txt", "in b");
  fs::create_directories(dir_ / "out");
  ProgramRun run = Run({Joined("src", "*.txt"), "/r", "/output=out"});
  EXPECT_EQ(run.exitCode, 1);

  EXPECT_EQ(Count(run.output, " was already written in this run; \"x.txt\" is not converted onto it. /keep-tree "
                              "keeps the folders apart.\n"),
            2)
      << run.output;
  EXPECT_NE(run.output.find("1 file(s) successfully converted"), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "out" / "x.txt"), kUtf8Mark + "top");
  // /keep-tree mirrors the tree, making the folders it needs.
  fs::remove_all(dir_ / "out");
  fs::create_directories(dir_ / "out");
  run = Run({Joined("src", "*.txt"), "/r", "/output=out", "/keep-tree"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "out" / "x.txt"), kUtf8Mark + "top");
  EXPECT_EQ(Read(dir_ / "out" / "a" / "x.txt"), kUtf8Mark + "in a");
  EXPECT_EQ(Read(dir_ / "out" / "b" / "x.txt"), kUtf8Mark + "in b");
}

TEST_F(ProgramTest, AFileReachedTwiceIsConvertedOnce) {
  Write(dir_ / "a.txt", "caf\xE9");
  std::error_code error;
  fs::create_hard_link(dir_ / "a.txt", dir_ / "b.txt", error);
  if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  const ProgramRun run = Run({"*.txt", "/replace", "/scs=windows-1252"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("b.txt\" is a file this run has converted already, under another name; it is skipped.\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "a.txt"), kUtf8Mark + "caf\xC3\xA9");
  EXPECT_EQ(Read(dir_ / "b.txt"), "caf\xE9") << "never encoded twice";
#if !defined(_WIN32)
  fs::remove(dir_ / "b.txt");
  Write(dir_ / "a.txt", "caf\xE9");
  fs::create_symlink("a.txt", dir_ / "link.txt");
  EXPECT_EQ(Run({"*.txt", "/replace", "/scs=windows-1252"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "a.txt"), kUtf8Mark + "caf\xC3\xA9");
#endif
}

TEST_F(ProgramTest, ThePrefixRenameNeverReplacesAFile) {
  Write(dir_ / "report.txt", "PRECIOUS");
  Write(dir_ / "p01-report.txt", "p01 text");
  Write(dir_ / "user-to-account.csv", "p01;nosuchuser\np02;nosuchuser\n");
  ProgramRun run = Run({"p01-report.txt", "/private.ofp", "/replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("p01-report.txt\" is not renamed to \""), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("report.txt\": "), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "report.txt"), "PRECIOUS");
  EXPECT_EQ(Read(dir_ / "p01-report.txt"), kUtf8Mark + "p01 text");
  // Two prefixes that cut to one name: the first takes it, the second keeps
  // its own.
  Write(dir_ / "p01.txt", "alice");
  Write(dir_ / "p02.txt", "bob");
  run = Run({"p0?.txt", "/private.ofp", "/replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Read(dir_ / "txt"), kUtf8Mark + "alice");
  EXPECT_EQ(Read(dir_ / "p02.txt"), kUtf8Mark + "bob");
  EXPECT_NE(run.output.find("1 file(s) failed to convert"), std::string::npos) << run.output;
}

TEST_F(ProgramTest, ATableThatGivesNoOwnerIsSaidOnce) {
  Write(dir_ / "p01-a.txt", "a");
  Write(dir_ / "p01-b.txt", "b");
  ProgramRun run = Run({"p01-?.txt", "/private.ofp", "/private.utt=missing.csv"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Count(run.output, "The user translation table \"missing.csv\" could not be read: "), 1) << run.output;
  Write(dir_ / "empty.csv", "\n;nobody\n");
  run = Run({"p01-a.txt", "/private.ofp", "/private.utt=empty.csv"});
  EXPECT_NE(run.output.find("The user translation table \"empty.csv\" holds no row; no file is given to another "
                            "owner.\n"),
            std::string::npos)
      << run.output;
  // A table in UTF-16 without a mark is read for what it is.
  Write(dir_ / "utf16.csv", Literal("p\0" "0\0" "1\0;\0n\0o\0s\0u\0c\0h\0u\0s\0e\0r\0"));
  Write(dir_ / "p01-c.txt", "c");
  run = Run({"p01-c.txt", "/private.ofp", "/private.utt=utf16.csv"});
  EXPECT_EQ(run.output.find("user translation table"), std::string::npos) << run.output;
  EXPECT_TRUE(fs::exists(dir_ / "c.utf-8.txt")) << "the result renamed by its row";
}

TEST_F(ProgramTest, LineBreakTypesByTheirUsualNamesAndMistypedOnes) {
  const struct {
    const char* type;
    const char* result;
  } names[] = {{"lf", "a\nb\n"}, {"linux", "a\nb\n"}, {"crlf", "a\r\nb\r\n"}, {"windows", "a\r\nb\r\n"},
               {"cr", "a\rb\r"},  {"UNIX", "a\nb\n"}};
  for (const auto& name : names) {
    Write(dir_ / "nl.txt", "a\r\nb\n");
    const ProgramRun run = Run({"nl.txt", "/replace", "/nobom", std::string("/line=") + name.type});
    EXPECT_EQ(run.exitCode, 0) << name.type;
    EXPECT_EQ(run.output.find("Warning"), std::string::npos) << run.output;
    EXPECT_EQ(Read(dir_ / "nl.txt"), name.result) << name.type;
  }
  // Any other type removes line breaks: said, and never done to a source in
  // place without /lossy.
  Write(dir_ / "nl.txt", "a\r\nb\n");
  ProgramRun run = Run({"nl.txt", "/replace", "/line=unx"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("Warning: \"unx\" is no line-break type (DOS, UNIX or MAC); line breaks are removed.\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("2 line breaks of \"nl.txt\" are removed; the source is kept as it was (/lossy replaces "
                            "it all the same).\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "nl.txt"), "a\r\nb\n");
  run = Run({"nl.txt", "/line="});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("Warning: \"\" is no line-break type"), std::string::npos) << run.output;
  EXPECT_EQ(Read(dir_ / "nl.utf-8.txt"), kUtf8Mark + "ab");
  EXPECT_EQ(Run({"nl.txt", "/replace", "/nobom", "/line=unx", "/lossy"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "nl.txt"), "ab");
}

#if defined(_WIN32)
TEST_F(ProgramTest, QuotesInsideAValueAreRemovedAsWindowsProgramsRemoveThem) {
  Write(dir_ / "s.txt", "s\r\n");
  fs::create_directories(dir_ / "out dir");
  ProgramRun run = Run({"s.txt", "/output=\"out dir\"\\converted.txt", "/line=\"unix\""});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "out dir" / "converted.txt"), kUtf8Mark + "s\n");
  EXPECT_FALSE(fs::exists(dir_ / "out dir" / "s.txt"));
  // A folder that does not exist is no file named after part of the value.
  run = Run({"s.txt", "/output=\"new dir\"\\converted.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(dir_ / "new dir"));
}

TEST_F(ProgramTest, LongPathPrefixesAreNoPatterns) {
  Write(dir_ / "a.txt", "a");
  const std::string prefixed = "\\\\?\\" + dir_.string();
  ProgramRun run = Run({prefixed + "\\nothere.txt"});
  EXPECT_EQ(run.exitCode, 2) << run.output;
  run = Run({prefixed + "\\a.txt", "/output=" + prefixed + "\\b.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Read(dir_ / "b.txt"), kUtf8Mark + "a");
}
#else
TEST_F(ProgramTest, FilesThatSayTheyAreEmptyAreReadToTheirEnd) {
  const ProgramRun run = Run({"/proc/self/status", "/output=ps.txt", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(Read(dir_ / "ps.txt").find("Name:"), std::string::npos);
}

TEST_F(ProgramTest, LinesAppendedWhileReplacingAreNeverLost) {
  std::string text;
  while (text.size() < (48u << 20)) text += Latin1Text(2000);
  Write(dir_ / "big.log", text);
  // A writer that keeps its file open and appends until the run has ended.
  std::atomic<bool> stop{false};
  std::atomic<int> appended{0};
  const int fd = open((dir_ / "big.log").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  std::thread appender([&] {
    while (!stop) {
      const std::string line = "appended " + std::to_string(appended.load()) + "\n";
      if (write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) ++appended;
      usleep(200);
    }
  });
  const ProgramRun run = Run({"big.log", "/replace", "/scs=windows-1252"});
  stop = true;
  appender.join();
  close(fd);
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("\"big.log\" changed while it was converted; the source is kept as it is.\n"),
            std::string::npos)
      << run.output;
  const std::string now = Read(dir_ / "big.log");
  EXPECT_EQ(now.compare(0, text.size(), text), 0);
  EXPECT_NE(now.find("appended " + std::to_string(appended.load() - 1) + "\n"), std::string::npos)
      << "every appended line is there";
  for (const std::string& name : Names(dir_)) EXPECT_EQ(name.find("~recodo"), std::string::npos) << name;
}
#endif

}  // namespace
}  // namespace recodo::test
