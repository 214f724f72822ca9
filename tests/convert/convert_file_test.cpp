// The conversion of files: marks and sizes, and that no failure loses or
// changes what the user already had.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <functional>
#include <string>
#include <utility>

#include "convert/convert_file.h"
#include "platform/fault_injection.h"
#include "reference/latin1_text.h"

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
    options_.sourceChoice = SourceSetChoice::Given;
    options_.sourceSet = from;
    return ConvertAs(source, destination, to);
  }
  // With the source set as options_ choose it.
  ConvertFileResult ConvertAs(const fs::path& source, const fs::path& destination, CharsetCode to) {
    options_.destinationSet = to;
    options_.destinationName = u"x";
    const ConvertFileResult result = converter_.ConvertFile(
        source.u16string().c_str(), destination.u16string().c_str(), options_, &outcome_, progress_);
    EXPECT_EQ(result, outcome_.result);
    return result;
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
  ConversionOutcome outcome_;
  ProgressListener* progress_ = nullptr;
  const std::uint64_t& sourceSize_ = outcome_.bytesIn;
  const std::uint64_t& destinationSize_ = outcome_.bytesOut;
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

TEST_F(ConvertFileTest, RemovedLineBreaksAreALossThatNeverDestroysTheSource) {
  Write(dir_ / "breaks.txt", "a\r\nb\rc\n");
  options_.rewriteLineBreaks = true;
  options_.lineBreakType = 2;
  ASSERT_EQ(Convert(dir_ / "breaks.txt", dir_ / "out.txt", 18, 18), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "out.txt"), "a\nb\nc\n");
  EXPECT_EQ(outcome_.lineBreaksRemoved, 0u);
  options_.lineBreakType = 0;  // no type: breaks removed, three of them
  ASSERT_EQ(Convert(dir_ / "breaks.txt", dir_ / "out.txt", 18, 18), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "out.txt"), "abc");
  EXPECT_EQ(outcome_.lineBreaksRemoved, 3u);

  // In place, they would be gone for good: kept, unless allowed.
  options_.replaceSource = true;
  EXPECT_EQ(Convert(dir_ / "breaks.txt", dir_ / "breaks.txt", 18, 18), ConvertFileNotWritten);
  EXPECT_EQ(outcome_.refusal, Refusal::LineBreaksRemoved);
  EXPECT_EQ(Read(dir_ / "breaks.txt"), "a\r\nb\rc\n");
  // A moved source stays beside its result.
  options_.replaceSource = false;
  options_.moveSource = true;
  EXPECT_EQ(Convert(dir_ / "breaks.txt", dir_ / "moved.txt", 18, 18), ConvertFileNotWritten);
  EXPECT_TRUE(outcome_.placed);
  EXPECT_EQ(Read(dir_ / "moved.txt"), "abc");
  EXPECT_EQ(Read(dir_ / "breaks.txt"), "a\r\nb\rc\n");
  options_.moveSource = false;
  options_.replaceSource = true;
  options_.allowLossy = true;
  EXPECT_EQ(Convert(dir_ / "breaks.txt", dir_ / "breaks.txt", 18, 18), ConvertFileOk);
  EXPECT_EQ(Read(dir_ / "breaks.txt"), "abc");
  // A text without line breaks loses nothing.
  options_.allowLossy = false;
  EXPECT_EQ(Convert(dir_ / "breaks.txt", dir_ / "breaks.txt", 18, 18), ConvertFileOk);
  EXPECT_EQ(Names(), (std::vector<std::string>{"breaks.txt", "moved.txt", "out.txt"}));
}

TEST_F(ConvertFileTest, SmallPiecesGiveTheSameFile) {
  std::mt19937 random(7);
  Bytes text;
  const char* pieces[] = {"a", "\r", "\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3", "\x80", "\xEF\xBB\xBF"};
  for (int i = 0; i < 5000; ++i) text += pieces[random() % std::size(pieces)];
  Write(dir_ / "mixed.txt", text);
  options_.rewriteLineBreaks = true;
  options_.lineBreakType = 1;
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
  EXPECT_NE(outcome_.error, 0u);
  EXPECT_FALSE(outcome_.placed);
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
  EXPECT_FALSE(outcome_.placed);
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

  // The same file under another name (a hard link): the result takes that
  // name, which then is no longer the source's, and the source's name goes.
  Write(dir_ / "d.txt", "caf\xE9");
  std::error_code linked;
  fs::create_hard_link(dir_ / "d.txt", dir_ / "e.txt", linked);
  if (!linked) {
    ASSERT_EQ(Convert(dir_ / "d.txt", dir_ / "e.txt", 18, CharsetUtf8), ConvertFileOk);
    EXPECT_EQ(Read(dir_ / "e.txt"), "\xEF\xBB\xBF" "caf\xC3\xA9");
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.txt", "c.txt", "e.txt"}));
  }
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

// Acts once, when the first piece of the conversion is done: after the
// source's set was taken from it.
// What another program appending to the source does; false where the
// system lets nobody write a file that is open to be read (Windows).
bool AppendALateLine(const fs::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << "a late line\n";
  out.flush();
  return out.good();
}

class AfterFirstPiece final : public ProgressListener {
 public:
  explicit AfterFirstPiece(std::function<void()> act) : act_(std::move(act)) {}
  void Progress(std::uint64_t, std::uint64_t) override {
    if (!done_) act_();
    done_ = true;
  }

 private:
  std::function<void()> act_;
  bool done_ = false;
};

Bytes Latin1Lines(int count) {
  Bytes text;
  for (int i = 0; i < count; ++i) text += "caf\xE9 cr\xE8me, line " + std::to_string(i) + "\n";
  return text;
}

// Overlong forms decode to the value they spell ('/' from 0xC0 0xAF): not
// the bytes they were, so they count as not carried exactly, and a source
// that holds them is not replaced, whichever way the text goes.
TEST_F(ConvertFileTest, OverlongFormsAreLossesThatKeepTheSource) {
  const Bytes text = "..\xC0\xAF..\xC0\xAF" "etc \xE0\x80\xBCscript>";
  // Straight to UTF-8 and to a single-byte set, through UTF-16 to UTF-16.
  for (const CharsetCode to : {CharsetUtf8, CharsetUtf16, CharsetWindows1252}) {
    SCOPED_TRACE(to);
    options_.replaceSource = false;
    Write(dir_ / "in.txt", text);
    ASSERT_EQ(Convert(dir_ / "in.txt", dir_ / "out.txt", CharsetUtf8, to), ConvertFileOk);
    EXPECT_EQ(outcome_.losses, 3u);
    options_.replaceSource = true;
    EXPECT_EQ(Convert(dir_ / "in.txt", dir_ / "in.txt", CharsetUtf8, to), ConvertFileNotWritten);
    EXPECT_EQ(outcome_.refusal, Refusal::Lossy);
    EXPECT_EQ(Read(dir_ / "in.txt"), text);
  }
}

// Stopped at the user's request after some pieces: a new destination is
// never made, an existing one and the source stay as they were, in place
// as well, and no scratch file is left.
TEST_F(ConvertFileTest, ACancelledConversionLeavesEverythingAsItWas) {
  class StopAfter final : public ProgressListener {
   public:
    explicit StopAfter(int pieces) : left_(pieces) {}
    void Progress(std::uint64_t, std::uint64_t) override { --left_; }
    bool StopRequested() override { return left_ <= 0; }

   private:
    int left_;
  };
  const Bytes latin1 = Latin1Lines(6000);
  converter_.SetPieceSize(4096);
  Write(dir_ / "source.txt", latin1);
  for (const bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "in place" : "beside");
    options_.replaceSource = inPlace;
    const fs::path destination = inPlace ? dir_ / "source.txt" : dir_ / "out.txt";
    if (!inPlace) Write(destination, "an earlier result");
    StopAfter stop(3);
    progress_ = &stop;
    EXPECT_EQ(Convert(dir_ / "source.txt", destination, CharsetWindows1252, CharsetUtf16), ConvertFileNotWritten);
    EXPECT_TRUE(outcome_.cancelled);
    EXPECT_FALSE(outcome_.placed);
    EXPECT_EQ(outcome_.error, 0u);
    EXPECT_EQ(Read(dir_ / "source.txt"), latin1);
    if (!inPlace) {
      EXPECT_EQ(Read(destination), "an earlier result");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"out.txt", "source.txt"}));
  }
}

// Asked for once every byte is read, while the result goes to the disk:
// still heard before the result takes its place.
TEST_F(ConvertFileTest, AStopAskedForAtTheEndIsHeardBeforeTheResultIsPlaced) {
  class StopWhenAllRead final : public ProgressListener {
   public:
    void Progress(std::uint64_t done, std::uint64_t total) override { all_ = total != 0 && done >= total; }
    bool StopRequested() override { return all_; }

   private:
    bool all_ = false;
  };
  converter_.SetPieceSize(4096);
  Write(dir_ / "source.txt", Latin1Lines(600));
  Write(dir_ / "out.txt", "an earlier result");
  StopWhenAllRead stop;
  progress_ = &stop;
  EXPECT_EQ(Convert(dir_ / "source.txt", dir_ / "out.txt", CharsetWindows1252, CharsetUtf8), ConvertFileNotWritten);
  EXPECT_TRUE(outcome_.cancelled);
  EXPECT_EQ(Read(dir_ / "out.txt"), "an earlier result");
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.txt", "source.txt"}));
}

TEST_F(ConvertFileTest, TheSourceIsReadThroughOneHandleWhateverTakesItsName) {
  const Bytes latin1 = Latin1Lines(6000);  // past the detection window
  const Bytes other = "\xEF\xBB\xBF" "another run's result, caf\xC3\xA9\n";
  converter_.SetPieceSize(4096);
  options_.sourceChoice = SourceSetChoice::Detected;
  options_.writeBom = false;
  // Another run puts its result in the source's place while this one
  // reads. (Windows lets nobody replace a file open to be read here.)
  bool swapped = false;
  const auto swap = [&] {
    Write(dir_ / "other.tmp", other);
    std::error_code error;
    fs::rename(dir_ / "other.tmp", dir_ / "source.txt", error);
    swapped = !error;
    if (error) fs::remove(dir_ / "other.tmp");
  };
  AfterFirstPiece first(swap);
  progress_ = &first;
  Write(dir_ / "source.txt", latin1);
  ASSERT_EQ(ConvertAs(dir_ / "source.txt", dir_ / "out.txt", CharsetUtf8), ConvertFileOk);
  EXPECT_EQ(outcome_.source.set, 0) << "detected on the bytes converted";
  EXPECT_TRUE(Read(dir_ / "out.txt") == test::Latin1AsUtf8(latin1)) << "the file that was opened, converted whole";
  EXPECT_EQ(Read(dir_ / "source.txt"), swapped ? other : latin1);

  // In place, the result would replace a file it was not made from.
  AfterFirstPiece again(swap);
  progress_ = &again;
  Write(dir_ / "source.txt", latin1);
  options_.replaceSource = true;
  const ConvertFileResult result = ConvertAs(dir_ / "source.txt", dir_ / "source.txt", CharsetUtf8);
  if (swapped) {
    EXPECT_EQ(result, ConvertFileNotWritten);
    EXPECT_EQ(outcome_.refusal, Refusal::SourceChanged);
    EXPECT_EQ(Read(dir_ / "source.txt"), other);
  } else {
    EXPECT_EQ(result, ConvertFileOk);
    EXPECT_TRUE(Read(dir_ / "source.txt") == test::Latin1AsUtf8(latin1));
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.txt", "source.txt"}));
}

TEST_F(ConvertFileTest, LinesAppendedWhileConvertingAreNeverLost) {
  const Bytes latin1 = Latin1Lines(3000);
  converter_.SetPieceSize(4096);
  options_.replaceSource = true;
  bool appended = false;
  AfterFirstPiece append([&] { appended = AppendALateLine(dir_ / "log.txt"); });
  progress_ = &append;
  Write(dir_ / "log.txt", latin1);
  const ConvertFileResult result = Convert(dir_ / "log.txt", dir_ / "log.txt", 18, CharsetUtf8);
  if (appended) {
    EXPECT_EQ(result, ConvertFileNotWritten);
    EXPECT_EQ(outcome_.refusal, Refusal::SourceChanged);
    EXPECT_EQ(Read(dir_ / "log.txt"), latin1 + "a late line\n");
  } else {
    // Windows lets nobody write a file that is open to be read here.
    EXPECT_EQ(result, ConvertFileOk);
    EXPECT_TRUE(Read(dir_ / "log.txt") == "\xEF\xBB\xBF" + test::Latin1AsUtf8(latin1));
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"log.txt"});
  // Nothing changed meanwhile: replaced.
  progress_ = nullptr;
  Write(dir_ / "log.txt", latin1);
  EXPECT_EQ(Convert(dir_ / "log.txt", dir_ / "log.txt", 18, CharsetUtf8), ConvertFileOk);
}

// Acts once, when the result is being put on the disk, and lets it go on.
class DuringTheFlush final : public platform::FaultHook {
 public:
  explicit DuringTheFlush(std::function<void()> act) : act_(std::move(act)) {}
  bool Fail(platform::FileOperation operation, platform::ErrorCode*) override {
    if (operation == platform::FileOperation::Flush && act_) std::exchange(act_, nullptr)();
    return false;
  }

 private:
  std::function<void()> act_;
};

TEST_F(ConvertFileTest, AChangeWhileTheResultGoesToTheDiskIsNeverLost) {
  // Flushing a large result takes a while; an editor that saves meanwhile
  // (a new file under the name) or a line appended must survive it.
  const Bytes latin1 = Latin1Lines(50);
  const Bytes saved = "the editor's new version\n";
  for (const bool move : {false, true}) {
    Write(dir_ / "doc.txt", latin1);
    options_.replaceSource = !move;
    options_.moveSource = move;
    bool replaced = false;
    DuringTheFlush save([&] {
      Write(dir_ / "saved.tmp", saved);
      std::error_code error;
      fs::rename(dir_ / "saved.tmp", dir_ / "doc.txt", error);
      replaced = !error;
    });
    platform::SetFaultHook(&save);
    const fs::path destination = move ? dir_ / "doc.utf-8.txt" : dir_ / "doc.txt";
    const ConvertFileResult result = Convert(dir_ / "doc.txt", destination, 18, CharsetUtf8);
    platform::SetFaultHook(nullptr);
    // Windows lets nobody replace a file that is open to be read here.
    if (replaced) {
      EXPECT_EQ(result, ConvertFileNotWritten) << move;
      EXPECT_EQ(outcome_.refusal, Refusal::SourceChanged) << move;
      EXPECT_EQ(Read(dir_ / "doc.txt"), saved) << move;
    } else {
      EXPECT_EQ(result, ConvertFileOk) << move;
    }
    fs::remove(dir_ / "doc.utf-8.txt");
    fs::remove(dir_ / "saved.tmp");
  }
  options_.moveSource = false;
  options_.replaceSource = true;
  Write(dir_ / "doc.txt", latin1);
  bool appended = false;
  DuringTheFlush append([&] { appended = AppendALateLine(dir_ / "doc.txt"); });
  platform::SetFaultHook(&append);
  const ConvertFileResult result = Convert(dir_ / "doc.txt", dir_ / "doc.txt", 18, CharsetUtf8);
  platform::SetFaultHook(nullptr);
  // Windows lets nobody write a file that is open to be read here.
  if (appended) {
    EXPECT_EQ(result, ConvertFileNotWritten);
    EXPECT_EQ(Read(dir_ / "doc.txt"), latin1 + "a late line\n");
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"doc.txt"});
}

TEST_F(ConvertFileTest, AWeakGuessOrBytesThatAreNoTextNeverDestroyTheSource) {
  const Bytes naive = "na\xEFve caf\xE9";
  Write(dir_ / "naive.txt", naive);
  options_.sourceChoice = SourceSetChoice::Guessed;
  options_.replaceSource = true;
  EXPECT_EQ(ConvertAs(dir_ / "naive.txt", dir_ / "naive.txt", CharsetUtf8), ConvertFileNotWritten);
  EXPECT_EQ(outcome_.refusal, Refusal::WeakGuess);
  EXPECT_EQ(outcome_.source.set, 18) << "short texts lean to the common set";
  EXPECT_LT(outcome_.source.confidence, 90);
  EXPECT_EQ(Read(dir_ / "naive.txt"), naive);
  // Into a file of its own, the conversion goes ahead.
  options_.replaceSource = false;
  EXPECT_EQ(ConvertAs(dir_ / "naive.txt", dir_ / "naive.out", CharsetUtf8), ConvertFileOk);
  EXPECT_TRUE(outcome_.source.guessed);
  EXPECT_EQ(Read(dir_ / "naive.out"), "\xEF\xBB\xBF" "na\xC3\xAFve caf\xC3\xA9");

  const Bytes program("\x7F" "ELF\x02\x01\x01\x00\x00\x00 \xE9\xFF code", 18);
  Write(dir_ / "program", program);
  options_.replaceSource = true;
  for (SourceSetChoice choice : {SourceSetChoice::Detected, SourceSetChoice::Guessed}) {
    options_.sourceChoice = choice;
    EXPECT_EQ(ConvertAs(dir_ / "program", dir_ / "program", CharsetUtf8), ConvertFileNotWritten);
    EXPECT_EQ(outcome_.refusal, Refusal::NotText);
    EXPECT_EQ(Read(dir_ / "program"), program);
  }
  // A guess of it is refused even into a new file; detection converts it,
  // saying it is no text.
  options_.replaceSource = false;
  EXPECT_EQ(ConvertAs(dir_ / "program", dir_ / "program.out", CharsetUtf8), ConvertFileNotWritten);
  EXPECT_FALSE(fs::exists(dir_ / "program.out"));
  options_.sourceChoice = SourceSetChoice::Detected;
  EXPECT_EQ(ConvertAs(dir_ / "program", dir_ / "program.out", CharsetUtf8), ConvertFileOk);
  EXPECT_FALSE(outcome_.source.text);
  // A named set is the user's word.
  options_.replaceSource = true;
  EXPECT_EQ(Convert(dir_ / "program", dir_ / "program", 18, CharsetUtf8), ConvertFileOk);
  EXPECT_EQ(Names(), (std::vector<std::string>{"naive.out", "naive.txt", "program", "program.out"}));
}

TEST_F(ConvertFileTest, IdentifyingAFileThatCannotBeReadSaysWhy) {
  engine::Identification identification;
  platform::ErrorCode error = 0;
  EXPECT_FALSE(IdentifyFile((dir_ / "missing.txt").u16string().c_str(), true, &identification, &error));
  EXPECT_NE(error, 0u);
  error = 0;
  EXPECT_FALSE(IdentifyFile(dir_.u16string().c_str(), false, &identification, &error));
  EXPECT_NE(error, 0u);
}

#if !defined(_WIN32)
TEST_F(ConvertFileTest, FilesThatSayTheyAreEmptyAreReadToTheirEnd) {
  options_.writeBom = false;
  ASSERT_EQ(Convert("/proc/self/status", dir_ / "status.txt", 18, CharsetUtf8), ConvertFileOk);
  const Bytes status = Read(dir_ / "status.txt");
  EXPECT_NE(status.find("Name:"), Bytes::npos);
  EXPECT_EQ(outcome_.bytesIn, status.size());
}

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
