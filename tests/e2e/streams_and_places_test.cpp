// Nothing silent: standard streams a run was started without, logs that are
// no files or cannot be written, the folder for scratch files, the paths a
// failure happened on, folders that cannot be listed and sources a /move
// could not delete.
#include "program_fixture.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>

namespace recodo::test {
namespace {

// Runs the program through the shell, for redirections a test runner cannot
// make; returns the exit code.
int Shell(const fs::path& directory, const std::string& arguments) {
  const std::string command =
      "cd '" + directory.string() + "' && exec '" + ProgramPath().string() + "' " + arguments;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ProgramTest, AClosedStandardStreamTakesNothingThatBelongsElsewhere) {
  Write(dir_ / "in.txt", "abc\xE9\n");
  // Without standard error, the run's lines go nowhere: never into the data.
  EXPECT_EQ(Shell(dir_, "- < in.txt > out.txt 2>&-"), 0);
  EXPECT_EQ(Read(dir_ / "out.txt"), kUtf8Mark + "abc\xC3\xA9\n");
  // Without standard output the filter fails, as iconv does, and says so.
  std::string big;
  while (big.size() < (3u << 20)) big += "line of text in a caf\xE9\n";
  Write(dir_ / "big.txt", big);
  EXPECT_EQ(Shell(dir_, "- < big.txt >&- 2> errors.txt"), 1);
  const std::string errors = Read(dir_ / "errors.txt");
  EXPECT_NE(errors.find("Bad file descriptor\nError 1: Conversion of \"(standard input)\" failed.\n"),
            std::string::npos)
      << errors;
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"big.txt", "errors.txt", "in.txt", "out.txt"}));
  // Without standard input there is nothing to convert: not an empty text.
  EXPECT_EQ(Shell(dir_, "- <&- > none.txt 2> errors.txt"), 2);
  EXPECT_NE(Read(dir_ / "errors.txt").find("Bad file descriptor\nError 2: Conversion of \"(standard input)\" failed.\n"),
            std::string::npos)
      << Read(dir_ / "errors.txt");
  EXPECT_EQ(Read(dir_ / "none.txt"), "");
  fs::remove(dir_ / "none.txt");
  // A log that is the file behind a redirected stream is refused: neither
  // the data nor the source takes its lines.
  EXPECT_EQ(Shell(dir_, "- /log=logged.txt < in.txt > logged.txt 2> errors.txt"), 1);
  EXPECT_NE(Read(dir_ / "errors.txt").find("\"logged.txt\" is the destination of this run"), std::string::npos)
      << Read(dir_ / "errors.txt");
  EXPECT_EQ(Read(dir_ / "logged.txt"), "");
  EXPECT_EQ(Shell(dir_, "- /log=in.txt < in.txt > logged.txt 2> errors.txt"), 2);
  EXPECT_EQ(Read(dir_ / "in.txt"), "abc\xE9\n");
  fs::remove(dir_ / "logged.txt");
  // A file conversion without standard output converts all the same.
  EXPECT_EQ(Shell(dir_, "in.txt >&- 2>&-"), 0);
  EXPECT_EQ(Read(dir_ / "in.utf-8.txt"), kUtf8Mark + "abc\xC3\xA9\n");
}

TEST_F(ProgramTest, ALogIsARegularFileThatTakesEveryLine) {
  Write(dir_ / "a.txt", "a");
  ASSERT_EQ(mkfifo((dir_ / "log.fifo").c_str(), 0600), 0);
  ProgramRun run = Run({"a.txt", "/log=log.fifo"});  // never waits for a reader
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output.rfind("The log file \"log.fifo\" could not be opened: Not a regular file\n", 0), 0u)
      << run.output;
  EXPECT_NE(run.output.find("Success: [1 bytes + 3 Bytes] a.txt\n"), std::string::npos);
  // The null device is a log that takes everything.
  run = Run({"a.txt", "/log=/dev/null"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output + run.errors, "");
  // Nor is any other device, /dev/full among them.
  run = Run({"a.txt", "/log=/dev/full"});
  EXPECT_EQ(run.output.rfind("The log file \"/dev/full\" could not be opened: Not a regular file\n", 0), 0u)
      << run.output;
  EXPECT_NE(run.output.find("Success: [1 bytes + 3 Bytes] a.txt\n"), std::string::npos);
}

TEST_F(ProgramTest, ALogThatCannotBeWrittenIsSaidOnceAndFailsTheRun) {
  // A file system with no room left.
  const fs::path small = base_ / "small";
  fs::create_directories(small);
  const std::string mount = "mount -t tmpfs -o size=64k tmpfs '" + small.string() + "' 2>/dev/null";
  if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "cannot mount a small file system here";
  std::system(("dd if=/dev/zero of='" + (small / "filler").string() + "' bs=4k 2>/dev/null").c_str());
  Write(dir_ / "a.txt", "a");
  Write(dir_ / "b.txt", "b");
  const std::string log = "/log=" + (small / "run.log").string();
  ProgramRun run = Run({"*.txt", log});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errors, "The log file \"" + (small / "run.log").string() +
                            "\" could not be written: No space left on device\n")
      << "once";
  EXPECT_EQ(Read(dir_ / "a.utf-8.txt"), kUtf8Mark + "a") << "the files are converted all the same";
  run = Run({"a.txt", log, "/silent"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output + run.errors, "");
  std::system(("umount '" + small.string() + "'").c_str());
}

TEST_F(ProgramTest, AFailureNamesTheFolderForScratchFiles) {
  std::string big;
  while (big.size() < (2u << 20)) big += "gr\xC3\xBC\xC3\x9F dich, ";
  Write(dir_ / "big.txt", big);
  // TMPDIR for the program alone.
  const std::string command = "cd '" + dir_.string() + "' && TMPDIR=/nonexistent-recodo '" +
                              ProgramPath().string() + "' - < big.txt > out.txt 2> errors.txt";
  const int status = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string errors = Read(dir_ / "errors.txt");
  EXPECT_NE(errors.find("The folder for scratch files \"/nonexistent-recodo\" (TMPDIR): No such file or directory\n"),
            std::string::npos)
      << errors;
}

TEST_F(ProgramTest, AnInterruptedRunLeavesNoPartOfItsResult) {
  // A sparse gibibyte: long enough to be stopped halfway.
  {
    std::ofstream(dir_ / "big.txt") << "";
  }
  const std::uintmax_t size = std::uintmax_t(1) << 30;
  fs::resize_file(dir_ / "big.txt", size);
  for (int signal : {SIGKILL, SIGINT, SIGTERM, SIGHUP}) {
    StartedProgram program = StartProgram(dir_, {"big.txt", "/replace", "/scs=windows-1252", "/nobom"});
    usleep(200 * 1000);
    program.Signal(signal);
    const ProgramRun run = program.Wait();
    EXPECT_EQ(run.exitCode, 128 + signal) << "the run ended before the signal came, or another way";
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"big.txt"}) << signal;
    EXPECT_EQ(fs::file_size(dir_ / "big.txt"), size);
  }
}

// An access list as the file system keeps it: the owner rw, user 1000 rw,
// the owning group nothing, the mask rw, others nothing.
std::string AccessList() {
  std::string list("\x02\0\0\0", 4);
  const auto entry = [&](std::uint16_t tag, std::uint16_t permissions, std::uint32_t id) {
    list.append(reinterpret_cast<const char*>(&tag), 2);
    list.append(reinterpret_cast<const char*>(&permissions), 2);
    list.append(reinterpret_cast<const char*>(&id), 4);
  };
  entry(0x01, 6, 0xFFFFFFFF);
  entry(0x02, 6, 1000);
  entry(0x04, 0, 0xFFFFFFFF);
  entry(0x10, 6, 0xFFFFFFFF);
  entry(0x20, 0, 0xFFFFFFFF);
  return list;
}

std::string Attribute(const fs::path& path, const char* name) {
  char value[256];
  const ssize_t n = getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(n));
}

TEST_F(ProgramTest, AReplacedFileKeepsItsAccessListAndAttributes) {
  Write(dir_ / "shut.txt", "caf\xE9");
  const std::string list = AccessList();
  if (setxattr((dir_ / "shut.txt").c_str(), "system.posix_acl_access", list.data(), list.size(), 0) != 0 ||
      setxattr((dir_ / "shut.txt").c_str(), "user.note", "kept", 4, 0) != 0)
    GTEST_SKIP() << "no access lists or attributes here";
  struct stat before;
  stat((dir_ / "shut.txt").c_str(), &before);
  EXPECT_EQ(Run({"shut.txt", "/replace", "/scs=windows-1252"}).exitCode, 0);
  EXPECT_EQ(Attribute(dir_ / "shut.txt", "system.posix_acl_access"), list);
  EXPECT_EQ(Attribute(dir_ / "shut.txt", "user.note"), "kept");
  struct stat after;
  stat((dir_ / "shut.txt").c_str(), &after);
  EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);

  // A new file of such a source never gives the owning group what the list
  // denied it, though the mode's group bits (the mask) say rw.
  EXPECT_EQ(Run({"shut.txt", "/output=copy.txt"}).exitCode, 0);
  struct stat copy;
  stat((dir_ / "copy.txt").c_str(), &copy);
  EXPECT_EQ(copy.st_mode & 070, 0u);
  // With /keep-dacl it takes the list itself.
  EXPECT_EQ(Run({"shut.txt", "/output=kept.txt", "/keep-dacl"}).exitCode, 0);
  EXPECT_EQ(Attribute(dir_ / "kept.txt", "system.posix_acl_access"), list);
}

TEST_F(ProgramTest, ARecursiveRunStaysInItsTree) {
  Write(dir_ / "tree" / "in.txt", "i");
  Write(base_ / "elsewhere" / "out.txt", "o");
  fs::create_directory_symlink(base_ / "elsewhere", dir_ / "tree" / "away");
  fs::create_directories(dir_ / "tree" / "real");
  fs::create_directory_symlink(dir_ / "tree" / "real", dir_ / "tree" / "inside");
  Write(dir_ / "tree" / "real" / "r.txt", "r");
  const ProgramRun run = Run({"tree/*.txt", "-r"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("away\" leads out of the folders the pattern walks; it is not followed.\n"),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(fs::exists(base_ / "elsewhere" / "out.utf-8.txt"));
  EXPECT_EQ(Read(dir_ / "tree" / "real" / "r.utf-8.txt"), kUtf8Mark + "r") << "a link within the tree is followed";
}

class AsNobody : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    chmod(base_.c_str(), 0777);
    chmod(dir_.c_str(), 0777);
  }
  ProgramRun RunAsNobody(const std::vector<std::string>& arguments) {
    return StartProgramAs("nobody", dir_, arguments).Wait();
  }
};

TEST_F(AsNobody, AFailureNamesThePathItHappenedOn) {
  // A file anyone may write, in a folder nobody may write.
  Write(dir_ / "locked" / "a.txt", "caf\xE9");
  chmod((dir_ / "locked" / "a.txt").c_str(), 0666);
  chmod((dir_ / "locked").c_str(), 0555);
  ProgramRun run = RunAsNobody({"locked/a.txt", "/replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("\"" + (dir_ / "locked").string() + "\": Permission denied\n"), std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "locked" / "a.txt"), "caf\xE9");

  // A /move that could not delete its source says so, and fails.
  fs::create_directories(dir_ / "out");
  chmod((dir_ / "out").c_str(), 0777);
  run = RunAsNobody({"locked/a.txt", "/move", "/output=out/a.txt"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_NE(run.output.find("\"a.txt\" is converted, but the source could not be deleted: it is still there.\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(dir_ / "out" / "a.txt"), kUtf8Mark + "caf\xC3\xA9");
  EXPECT_EQ(Read(dir_ / "locked" / "a.txt"), "caf\xE9");
  chmod((dir_ / "locked").c_str(), 0755);
}

TEST_F(AsNobody, ALinkPlantedInASharedFolderIsNotFollowed) {
  // A sticky folder anyone may write into, as /tmp is; a file only root may
  // write; and the link another user put there, where root's result goes.
  fs::create_directories(dir_ / "shared");
  chmod((dir_ / "shared").c_str(), 01777);
  Write(base_ / "prot" / "passwd", "root's");
  chmod((base_ / "prot" / "passwd").c_str(), 0600);
  Write(dir_ / "shared" / "notes.txt", "planted text");
  ASSERT_EQ(symlink((base_ / "prot" / "passwd").c_str(), (dir_ / "shared" / "notes.utf-8.txt").c_str()), 0);
  ASSERT_EQ(lchown((dir_ / "shared" / "notes.utf-8.txt").c_str(), getpwnam("nobody")->pw_uid, -1), 0);
  ProgramRun run = Run({"shared/notes.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("notes.utf-8.txt\": A link another user put in a shared folder is not followed\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(base_ / "prot" / "passwd"), "root's");
  // Nor is such a link a source.
  ASSERT_EQ(symlink((base_ / "prot" / "passwd").c_str(), (dir_ / "shared" / "bait.txt").c_str()), 0);
  ASSERT_EQ(lchown((dir_ / "shared" / "bait.txt").c_str(), getpwnam("nobody")->pw_uid, -1), 0);
  run = Run({"shared/bait.txt", "/output=taken.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(fs::exists(dir_ / "taken.txt"));
  // Not even the set of what it points to is told.
  run = Run({"shared/bait.txt", "/guess-only"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.output, "shared/bait.txt: A link another user put in a shared folder is not followed\n");
  // Nor one further up the path: a planted folder link, or a planted log.
  ASSERT_EQ(symlink((base_ / "prot").c_str(), (dir_ / "shared" / "outdir").c_str()), 0);
  ASSERT_EQ(lchown((dir_ / "shared" / "outdir").c_str(), getpwnam("nobody")->pw_uid, -1), 0);
  run = Run({"shared/notes.txt", "/output=" + (dir_ / "shared" / "outdir" / "passwd").string()});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  run = Run({"shared/outdir/passwd", "/replace", "/scs=windows-1252"});
  EXPECT_EQ(run.exitCode, 1) << run.output;
  EXPECT_EQ(Read(base_ / "prot" / "passwd"), "root's");
  ASSERT_EQ(symlink((base_ / "prot" / "passwd").c_str(), (dir_ / "shared" / "run.log").c_str()), 0);
  ASSERT_EQ(lchown((dir_ / "shared" / "run.log").c_str(), getpwnam("nobody")->pw_uid, -1), 0);
  Write(dir_ / "other.txt", "o");
  run = Run({"other.txt", "/log=shared/run.log"});
  EXPECT_NE(run.output.find("run.log\" could not be opened: A link another user put in a shared folder is not followed"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(Read(base_ / "prot" / "passwd"), "root's");
  // The user's own links, and links of the folder's owner, are followed.
  fs::remove(dir_ / "shared" / "notes.utf-8.txt");
  Write(dir_ / "mine.txt", "");
  fs::create_symlink(dir_ / "mine.txt", dir_ / "shared" / "notes.utf-8.txt");
  EXPECT_EQ(Run({"shared/notes.txt"}).exitCode, 0);
  EXPECT_EQ(Read(dir_ / "mine.txt"), kUtf8Mark + "planted text");
}

TEST_F(AsNobody, AFolderThatCannotBeListedIsSaidAndFails) {
  Write(dir_ / "tree" / "a.txt", "a");
  Write(dir_ / "tree" / "closed" / "b.txt", "b");
  chmod((dir_ / "tree" / "a.txt").c_str(), 0644);
  chmod((dir_ / "tree").c_str(), 0777);
  chmod((dir_ / "tree" / "closed").c_str(), 0);
  const ProgramRun run = RunAsNobody({"tree/*.txt", "/recursive"});
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_NE(run.output.find("closed\" could not be listed; its files are not converted.\n"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("1 file(s) successfully converted"), std::string::npos);
  EXPECT_NE(run.output.find("1 file(s) failed to convert"), std::string::npos);
  chmod((dir_ / "tree" / "closed").c_str(), 0755);
}

TEST_F(ProgramTest, APathLongerThanTheSystemAllowsIsAFailure) {
  // Folders below folders, made one step at a time: the whole path is
  // longer than any path the system takes.
  int folder = open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  const std::string name(200, 'd');
  for (int depth = 0; depth < 22; ++depth) {
    ASSERT_EQ(mkdirat(folder, name.c_str(), 0755), 0);
    const int deeper = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(folder);
    folder = deeper;
    ASSERT_GE(folder, 0);
  }
  const int file = openat(folder, "x.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  close(file);
  close(folder);
  Write(dir_ / "top.txt", "t");
  const ProgramRun run = Run({"*.txt", "-r"});
  EXPECT_EQ(run.exitCode, 2) << run.output;
  EXPECT_NE(run.output.find("is skipped: the path is too long.\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("1 file(s) failed to convert"), std::string::npos);
  EXPECT_EQ(Read(dir_ / "top.utf-8.txt"), kUtf8Mark + "t");
  // Too deep for the file system's own removal by path.
  EXPECT_EQ(std::system(("rm -rf '" + (dir_ / name).string() + "'").c_str()), 0);
}

}  // namespace
}  // namespace recodo::test
#endif
