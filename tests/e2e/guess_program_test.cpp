// "/guess" and "/guess-only" of the real program, as a user runs them.
#include <cstdio>
#include <sstream>

#include "program_fixture.h"

namespace recodo::test {
namespace {

// "Привет, как у тебя дела? Это простой русский текст для проверки." in
// Windows-1251 and in DOS-866, and a Polish sentence in Windows-1250.
const std::string kRussian1251 =
    "\xCF\xF0\xE8\xE2\xE5\xF2, \xEA\xE0\xEA \xF3 \xF2\xE5\xE1\xFF \xE4\xE5\xEB\xE0? \xDD\xF2\xEE "
    "\xEF\xF0\xEE\xF1\xF2\xEE\xE9 \xF0\xF3\xF1\xF1\xEA\xE8\xE9 \xF2\xE5\xEA\xF1\xF2 \xE4\xEB\xFF "
    "\xEF\xF0\xEE\xE2\xE5\xF0\xEA\xE8.";
const std::string kRussian866 =
    "\x8F\xE0\xA8\xA2\xA5\xE2, \xAA\xA0\xAA \xE3 \xE2\xA5\xA1\xEF \xA4\xA5\xAB\xA0? \x9D\xE2\xAE "
    "\xAF\xE0\xAE\xE1\xE2\xAE\xA9 \xE0\xE3\xE1\xE1\xAA\xA8\xA9 \xE2\xA5\xAA\xE1\xE2 \xA4\xAB\xEF "
    "\xAF\xE0\xAE\xA2\xA5\xE0\xAA\xA8.";
const std::string kPolish1250 =
    "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1, p\xF3jd\x9F\xBF" "e ki\xF1 t\xEA chmurno\x9C\xE6 w g\xB3\xB9" "b flaszy.";
const std::string kRussianUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The line whose path ends in `name`, without the path.
std::string ReportFor(const std::string& output, const std::string& name) {
  for (const std::string& line : Lines(output)) {
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos && tab >= name.size() && line.compare(tab - name.size(), name.size(), name) == 0)
      return line.substr(tab + 1);
  }
  return "(no line for " + name + ")";
}

TEST_F(ProgramTest, GuessOnlyReportsEveryFileOfATreeAndConvertsNothing) {
  Write(dir_ / "ru.txt", kRussian1251);
  Write(dir_ / "pl.txt", kPolish1250);
  Write(dir_ / "ascii.txt", "plain text\r\n");
  Write(dir_ / "marked.txt", kUtf8Mark + "abc");
  Write(dir_ / "sub" / "dos.txt", kRussian866);
  Write(dir_ / "sub" / "u8.txt", kRussianUtf8);
  const ProgramRun run = Run({"*.txt", "/guess-only", "/recursive"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Lines(run.output).size(), 6u) << run.output;
  EXPECT_EQ(ReportFor(run.output, "ru.txt"), "Windows-1251\tru\t99");
  EXPECT_EQ(ReportFor(run.output, "dos.txt"), "DOS-866\tru\t99");
  EXPECT_EQ(ReportFor(run.output, "pl.txt").rfind("Windows-1250\tpl\t", 0), 0u) << run.output;
  EXPECT_EQ(ReportFor(run.output, "ascii.txt"), "ISO-8859-1\t-\t100") << "as detection answers";
  EXPECT_EQ(ReportFor(run.output, "marked.txt"), "utf-8\t-\t100");
  EXPECT_EQ(ReportFor(run.output, "u8.txt"), "utf-8\t-\t100");
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"ascii.txt", "marked.txt", "pl.txt", "ru.txt", "sub"}));
  EXPECT_EQ(Names(dir_ / "sub"), (std::vector<std::string>{"dos.txt", "u8.txt"}));

  // Without /recursive only the start directory; one file alone by its name.
  EXPECT_EQ(Lines(Run({"*.txt", "/guess-only"}).output).size(), 4u);
  EXPECT_EQ(Run({"ru.txt", "/guess-only"}).output, "ru.txt\tWindows-1251\tru\t99\n");
#ifndef _WIN32
  // Sources the shell expanded, each reported; one that cannot be read
  // fails the run.
  const ProgramRun several = Run({"ru.txt", "pl.txt", "missing.txt", "/guess-only"});
  EXPECT_EQ(Lines(several.output).size(), 3u) << several.output;
  EXPECT_EQ(ReportFor(several.output, "pl.txt").rfind("Windows-1250\tpl\t", 0), 0u) << several.output;
  EXPECT_EQ(several.exitCode, 2);
#endif
}

TEST_F(ProgramTest, GuessConvertsFromTheGuessedSetAndSaysSoAtLogLevelOne) {
  Write(dir_ / "ru.txt", kRussian866);
  const ProgramRun run = Run({"ru.txt", "/guess", "/loglevel=1"});
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = Lines(run.output);
  ASSERT_GE(lines.size(), 4u) << run.output;
  EXPECT_EQ(lines[1], "Source character set: Guess per file");
  EXPECT_EQ(lines[3], "Guess: ru.txt is DOS-866 (Russian, confidence 99 %)");
  const std::string converted = Read(dir_ / "ru.utf-8.txt");
  EXPECT_EQ(converted.substr(0, 3 + kRussianUtf8.size()), kUtf8Mark + kRussianUtf8);

  // Without the log level the guess is used but not printed.
  Write(dir_ / "pl.txt", kPolish1250);
  const ProgramRun quiet = Run({"pl.txt", "/guess"});
  EXPECT_EQ(quiet.output.find("Guess:"), std::string::npos);
  EXPECT_EQ(Read(dir_ / "pl.utf-8.txt").substr(3, 6), "Za\xC5\xBC\xC3\xB3") << "ż and ó";
}

TEST_F(ProgramTest, GuessLeavesAsciiUtf8Utf16AndMarkedFilesAsTheDefaultRunDoes) {
  const std::vector<std::string> contents = {"plain ascii\r\n", kUtf8Mark + "abc", kRussianUtf8,
                                             std::string("\xFF\xFE" "A\0B\0", 6), std::string("A\0B\0", 4)};
  for (std::size_t i = 0; i < contents.size(); ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    Write(dir_ / name, contents[i]);
    const ProgramRun plain = Run({name, "/output=plain.out"});
    const ProgramRun guessed = Run({name, "/guess", "/output=guessed.out"});
    EXPECT_EQ(plain.exitCode, guessed.exitCode) << name;
    EXPECT_EQ(Read(dir_ / "plain.out"), Read(dir_ / "guessed.out")) << name;
  }
}

#if !defined(_WIN32)
TEST_F(ProgramTest, GuessOnlyReadsTheStandardInput) {
  Write(dir_ / "ru.txt", kRussian866);
  // A shell hands the file over as the program's standard input.
  const fs::path program = fs::read_symlink("/proc/self/exe").parent_path() / "recodo";
  const std::string command = "cd '" + dir_.string() + "' && '" + program.string() + "' - /guess-only < ru.txt";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(output, "-\tDOS-866\tru\t99\n");
}
#endif

}  // namespace
}  // namespace recodo::test
