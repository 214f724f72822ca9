// The conversion of files: marks and sizes, and that no failure loses or
// changes what the user already had.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "convert/convert_file.h"
#include "recorded_reports.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ConvertFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    converter_.SetPieceSize(std::size_t(1) << 20);
    dir_ = fs::temp_directory_path() /
           ("recodo-convert-" + std::to_string(std::random_device{}()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  ConvertFileResult Convert(const fs::path& source, const fs::path& destination, CharsetCode from, CharsetCode to) {
    sourceSize_ = 12345;
    destinationSize_ = 12345;
    return converter_.ConvertFile(source.u16string().c_str(), destination.u16string().c_str(), from, u"x", to,
                                  options_, reports_, &sourceSize_, &destinationSize_);
  }

  // Every file of the test's directory, so that leftovers show.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
  FileConverter converter_;
  ConversionOptions options_;
  test::RecordedReports reports_;
  std::uint64_t sourceSize_ = 0;
  std::uint64_t destinationSize_ = 0;
};

TEST_F(ConvertFileTest, EmptySourceGivesTheMarkAlone) {
  Write(dir_ / "empty.txt", "");
  const struct {
    CharsetCode to;
    Bytes mark;
  } cases[] = {{CharsetUtf8, "\xEF\xBB\xBF"}, {CharsetUtf16, "\xFF\xFE"}, {CharsetUtf16BE, "\xFE\xFF"}, {18, ""}};
  for (const auto& c : cases) {
    ASSERT_EQ(Convert(dir_ / "empty.txt", dir_ / "out", 18, c.to), ConvertFileOk);
    EXPECT_EQ(Read(dir_ / "out"), c.mark) << c.to;
    EXPECT_EQ(destinationSize_, c.mark.size());
    EXPECT_EQ(sourceSize_, 0u);
  }
  options_.writeBom = false;
  ASSERT_EQ(Convert(dir_ / "empty.txt", dir_ / "out", 18, CharsetUtf16), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "out"), "");
}

TEST_F(ConvertFileTest, MarksAreReplacedAndSizesCountThem) {
  Write(dir_ / "ascii.txt", "0123456789");
  ASSERT_EQ(Convert(dir_ / "ascii.txt", dir_ / "wide.txt", 18, CharsetUtf16), ConvertFileOk);
  EXPECT_EQ(sourceSize_, 10u);
  EXPECT_EQ(destinationSize_, 22u);

  // UTF-16 with its mark to UTF-16BE: a fresh mark, units swapped.
  Write(dir_ / "le.txt", Bytes("\xFF\xFE" "a\0\xE9\0", 6));
  ASSERT_EQ(Convert(dir_ / "le.txt", dir_ / "be.txt", CharsetUtf16, CharsetUtf16BE), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "be.txt"), Bytes("\xFE\xFF\0a\0\xE9", 6));

  // A UTF-8 mark is dropped, and written once when asked for.
  Write(dir_ / "marked.txt", "\xEF\xBB\xBFhi");
  ASSERT_EQ(Convert(dir_ / "marked.txt", dir_ / "again.txt", CharsetUtf8, CharsetUtf8), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "again.txt"), "\xEF\xBB\xBFhi");
  options_.writeBom = false;
  ASSERT_EQ(Convert(dir_ / "marked.txt", dir_ / "again.txt", CharsetUtf8, CharsetUtf8), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "again.txt"), "hi");
}

TEST_F(ConvertFileTest, LineBreakNamesIgnoreCase) {
  Write(dir_ / "breaks.txt", "a\r\nb\rc\n");
  for (const char16_t* name : {u"unix", u"UNIX", u"Unix"}) {
    options_.lineBreakName = name;
    ASSERT_EQ(Convert(dir_ / "breaks.txt", dir_ / "out.txt", 18, 18), ConvertFileOk);
    EXPECT_EQ(Read(dir_ / "out.txt"), "a\nb\nc\n");
  }
  options_.lineBreakName = u"\"unix\"";  // not a known type: breaks removed
  ASSERT_EQ(Convert(dir_ / "breaks.txt", dir_ / "out.txt", 18, 18), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "out.txt"), "abc");
}

TEST_F(ConvertFileTest, SmallPiecesGiveTheSameFile) {
  std::mt19937 random(7);
  Bytes text;
  const char* pieces[] = {"a", "\r", "\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3", "\x80", "\xEF\xBB\xBF"};
  for (int i = 0; i < 5000; ++i) text += pieces[random() % std::size(pieces)];
  Write(dir_ / "mixed.txt", text);
  options_.lineBreakName = u"dos";
  for (CharsetCode to : {CharsetUtf8, CharsetUtf16BE, 18}) {
    converter_.SetPieceSize(std::size_t(1) << 20);
    ASSERT_EQ(Convert(dir_ / "mixed.txt", dir_ / "whole.out", CharsetUtf8, to), ConvertFileOk);
    const std::uint32_t wholeSize = destinationSize_;
    converter_.SetPieceSize(9);
    ASSERT_EQ(Convert(dir_ / "mixed.txt", dir_ / "pieces.out", CharsetUtf8, to), ConvertFileOk);
    EXPECT_EQ(Read(dir_ / "pieces.out"), Read(dir_ / "whole.out")) << to;
    EXPECT_EQ(destinationSize_, wholeSize);
    EXPECT_EQ(sourceSize_, text.size());
  }
}

TEST_F(ConvertFileTest, AMissingSourceCreatesNothing) {
  EXPECT_EQ(Convert(dir_ / "missing.txt", dir_ / "out.txt", 18, CharsetUtf8), ConvertFileNotRead);
  EXPECT_EQ(sourceSize_, 12345u);
  EXPECT_EQ(destinationSize_, 12345u);
  EXPECT_TRUE(Names().empty());
}

TEST_F(ConvertFileTest, FailedDestinationsLeaveEverythingAsItWas) {
  Write(dir_ / "source.txt", "keep me");
  options_.moveSource = true;

  // A destination that is a directory, with a file in it.
  fs::create_directories(dir_ / "taken");
  Write(dir_ / "taken" / "inner.txt", "inner");
  EXPECT_EQ(Convert(dir_ / "source.txt", dir_ / "taken", 18, CharsetUtf8), ConvertFileNotWritten);
  EXPECT_EQ(sourceSize_, 7u);
  EXPECT_EQ(destinationSize_, 12345u);
  EXPECT_EQ(Read(dir_ / "taken" / "inner.txt"), "inner");

  // A destination in a directory that does not exist.
  EXPECT_EQ(Convert(dir_ / "source.txt", dir_ / "nowhere" / "out.txt", 18, CharsetUtf8), ConvertFileNotWritten);

  EXPECT_EQ(Read(dir_ / "source.txt"), "keep me");
  EXPECT_EQ(Names(), (std::vector<std::string>{"source.txt", "taken"}));
}

TEST_F(ConvertFileTest, MoveDeletesTheSourceOnlyWhenTheResultIsElsewhere) {
  options_.moveSource = true;
  Write(dir_ / "a.txt", "caf\xE9");
  ASSERT_EQ(Convert(dir_ / "a.txt", dir_ / "b.txt", 18, CharsetUtf8), ConvertFileOk);
  EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
  EXPECT_EQ(Read(dir_ / "b.txt"), "\xEF\xBB\xBF" "caf\xC3\xA9");

  // The same file under two spellings: the result is the file, kept.
  Write(dir_ / "c.txt", "caf\xE9");
  ASSERT_EQ(Convert(dir_ / "c.txt", dir_ / "." / "c.txt", 18, CharsetUtf8), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "c.txt"), "\xEF\xBB\xBF" "caf\xC3\xA9");
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.txt", "c.txt"}));
}

TEST_F(ConvertFileTest, ReplaceRewritesTheFileInPlace) {
  options_.replaceSource = true;
  Write(dir_ / "in-place.txt", "na\xEFve");
  ASSERT_EQ(Convert(dir_ / "in-place.txt", dir_ / "in-place.txt", 18, CharsetUtf16), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "in-place.txt"), Bytes("\xFF\xFEn\0a\0\xEF\0v\0e\0", 12));
  EXPECT_EQ(Names(), std::vector<std::string>{"in-place.txt"});
}

TEST_F(ConvertFileTest, FilesOf4GiBAndMoreReportTheirWholeSizes) {
  {
    std::ofstream(dir_ / "huge.txt") << "";
  }
  std::error_code error;
  const std::uint64_t size = (std::uint64_t(1) << 32) + 1;
  fs::resize_file(dir_ / "huge.txt", size, error);  // sparse
  if (error) GTEST_SKIP() << "no sparse file here: " << error.message();
  // Zeros, one character a byte: the result is as long as the source plus
  // the mark, and neither size wraps at 4 GiB.
  EXPECT_EQ(Convert(dir_ / "huge.txt", dir_ / "out.txt", 18, CharsetUtf8), ConvertFileOk);
  EXPECT_EQ(sourceSize_, size);
  EXPECT_EQ(destinationSize_, size + 3) << "with the mark";
  EXPECT_EQ(fs::file_size(dir_ / "out.txt"), size + 3);
  fs::remove(dir_ / "out.txt");
  EXPECT_EQ(Names(), std::vector<std::string>{"huge.txt"});
}

#if !defined(_WIN32)
// A file system that fills up while the destination is written.
TEST_F(ConvertFileTest, AFullDiskKeepsTheOldDestination) {
  const fs::path small = dir_ / "small";
  fs::create_directories(small);
  const std::string mount = "mount -t tmpfs -o size=64k tmpfs '" + small.string() + "' 2>/dev/null";
  if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "cannot mount a small file system here";
  Write(dir_ / "big.txt", Bytes(200 * 1024, 'x'));
  Write(small / "out.txt", "old contents");
  options_.replaceSource = false;
  EXPECT_EQ(Convert(dir_ / "big.txt", small / "out.txt", 18, CharsetUtf16), ConvertFileNotWritten);
  EXPECT_EQ(Read(small / "out.txt"), "old contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(small), fs::directory_iterator()), 1);
  EXPECT_EQ(Read(dir_ / "big.txt").size(), 200u * 1024);
  std::system(("umount '" + small.string() + "'").c_str());
}
#endif

}  // namespace
}  // namespace recodo
