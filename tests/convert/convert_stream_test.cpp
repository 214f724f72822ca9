// A stream converts to the bytes its content converts to as a file, whatever
// the pieces it arrives in, and detection holds back no more than it must.
#include "convert/convert_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "recorded_reports.h"
#include "engine/detector.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

// Gives its bytes in pieces of 1 to `longest` bytes; counts what was read.
class PieceSource : public ByteSource {
 public:
  PieceSource(const Bytes& bytes, std::size_t longest) : bytes_(bytes), longest_(longest) {}
  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t* got, platform::ErrorCode*) override {
    const std::size_t piece = std::min({capacity, bytes_.size() - at_, 1 + random_() % longest_});
    std::copy_n(bytes_.data() + at_, piece, buffer);
    at_ += piece;
    *got = piece;
    return true;
  }
  std::size_t read() const { return at_; }

 private:
  const Bytes& bytes_;
  std::size_t longest_;
  std::size_t at_ = 0;
  std::minstd_rand random_{7};
};

class CollectingSink : public ByteSink {
 public:
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    out.append(reinterpret_cast<const char*>(bytes), length);
    return true;
  }
  Bytes out;
};

class FailingSource : public ByteSource {
 public:
  bool Read(std::uint8_t*, std::size_t, std::size_t*, platform::ErrorCode* error) override {
    *error = 5;
    return false;
  }
};

class ConvertStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("recodo-stream-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  Bytes AsFile(const Bytes& input, CharsetCode from, CharsetCode to) {
    std::ofstream(dir_ / "in.txt", std::ios::binary) << input;
    std::uint64_t in = 0, out = 0;
    EXPECT_EQ(converter_.ConvertFile((dir_ / "in.txt").u16string().c_str(), (dir_ / "out.txt").u16string().c_str(),
                                     from, u"x", to, ConversionOptions{}, reports_, &in, &out),
              ConvertFileOk);
    std::ifstream result(dir_ / "out.txt", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(result), {});
  }
  CharsetCode DetectedAsFile(const Bytes& input) {
    std::ofstream(dir_ / "detect.txt", std::ios::binary) << input;
    return DetectFileForConversion((dir_ / "detect.txt").u16string().c_str());
  }
  fs::path dir_;
  FileConverter converter_;
  test::RecordedReports reports_;
};

std::vector<CharsetCode> EverySet() {
  std::vector<CharsetCode> sets;
  for (CharsetCode code = 0; code < 49; ++code) sets.push_back(code);
  for (CharsetCode code : {CharsetUtf8, CharsetUtf16, CharsetUtf16BE}) sets.push_back(code);
  return sets;
}

TEST_F(ConvertStreamTest, EverySetToEverySetAsAFileGivesIt) {
  const Bytes texts[] = {"", "line\r\nbreak\rs\n", Bytes("\xEF\xBB\xBF" "caf\xC3\xA9 \xE2\x82\xAC\x00\xFF\x80", 14)};
  PipelineOptions options;
  const std::vector<CharsetCode> sets = EverySet();
  // Each pair of sets on one of the texts in turn: every text still meets
  // every source and every destination set, at a third of the file writes.
  for (std::size_t t = 0; t < std::size(texts); ++t) {
    const Bytes& text = texts[t];
    for (std::size_t f = 0; f < sets.size(); ++f) {
      for (std::size_t d = 0; d < sets.size(); ++d) {
        if ((f + d) % std::size(texts) != t) continue;
        const CharsetCode from = sets[f];
        const CharsetCode to = sets[d];
        options.source = from;
        options.destination = to;
        options.destinationName = u"x";
        PieceSource source(text, 5);
        CollectingSink sink;
        const StreamOutcome outcome = StreamConverter().Convert(source, sink, options, false);
        ASSERT_EQ(outcome.result, ConvertFileOk);
        ASSERT_EQ(sink.out, AsFile(text, from, to)) << from << " to " << to << ", " << text.size() << " bytes";
        EXPECT_EQ(outcome.bytesIn, text.size());
        EXPECT_EQ(outcome.bytesOut, sink.out.size());
      }
    }
  }
}

TEST_F(ConvertStreamTest, DetectionAnswersAsForTheFileAndSpillsPastTheBound) {
  Bytes longUtf8;
  while (longUtf8.size() < 300000) longUtf8 += "gr\xC3\xBC\xC3\x9F dich, ";
  const Bytes texts[] = {"",
                         "ascii",
                         Bytes("\xFF\xFEh\0i\0", 6),
                         Bytes("\xFE\xFF\0h\0i", 6),
                         Bytes("h\0i\0", 4),
                         "caf\xE9",
                         "\x93quoted\x94",
                         longUtf8,
                         longUtf8 + "\xE9",
                         longUtf8 + "\x80"};
  PipelineOptions options;
  options.destination = CharsetUtf16;
  for (const Bytes& text : texts) {
    const CharsetCode expected = DetectedAsFile(text);
    PieceSource source(text, 70000);
    CollectingSink sink;
    // A bound far below the text: most of what is held waits in the file.
    const StreamOutcome outcome = StreamConverter().Convert(source, sink, options, true, 1000);
    ASSERT_EQ(outcome.result, ConvertFileOk);
    EXPECT_EQ(outcome.sourceCharset, expected) << text.size() << " bytes";
    EXPECT_TRUE(sink.out == AsFile(text, expected, CharsetUtf16)) << text.size() << " bytes";
    EXPECT_EQ(outcome.bytesIn, text.size());
  }
}

TEST_F(ConvertStreamTest, InputIsHeldOnlyUntilTheAnswerIsSettled) {
  // A mark settles it at once: the converted text begins with the first
  // pieces, before the rest is read.
  Bytes marked("\xFF\xFE", 2);
  for (int i = 0; i < 1000000; ++i) marked += Bytes("a\0", 2);
  PieceSource source(marked, 4096);
  class WatchingSink : public ByteSink {
   public:
    explicit WatchingSink(const PieceSource& source) : source_(source) {}
    bool Take(const std::uint8_t*, std::size_t length) override {
      if (readAtFirstOutput == 0 && length != 0) readAtFirstOutput = source_.read();
      return true;
    }
    std::size_t readAtFirstOutput = 0;

   private:
    const PieceSource& source_;
  } sink(source);
  PipelineOptions options;
  options.destination = CharsetUtf8;
  const StreamOutcome outcome = StreamConverter().Convert(source, sink, options, true);
  EXPECT_EQ(outcome.sourceCharset, CharsetUtf16);
  EXPECT_GT(sink.readAtFirstOutput, 0u);
  EXPECT_LT(sink.readAtFirstOutput, marked.size() / 2);
}

TEST_F(ConvertStreamTest, AFailedReadSaysSo) {
  FailingSource source;
  CollectingSink sink;
  const StreamOutcome outcome = StreamConverter().Convert(source, sink, PipelineOptions{}, true);
  EXPECT_EQ(outcome.result, ConvertFileNotRead);
  EXPECT_EQ(outcome.error, 5u);
  EXPECT_EQ(sink.out, "");
}

}  // namespace
}  // namespace recodo
