// A stream converts to the bytes its content converts to as a file, whatever
// the pieces it arrives in, and detection holds back no more than it must.
#include "convert/converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "convert/convert_file.h"

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
    ConversionOptions options;
    options.sourceChoice = SourceSetChoice::Given;
    options.sourceSet = from;
    options.destinationSet = to;
    options.destinationName = u"x";
    ConversionOutcome outcome;
    EXPECT_EQ(converter_.ConvertFile((dir_ / "in.txt").u16string().c_str(), (dir_ / "out.txt").u16string().c_str(),
                                     options, &outcome),
              ConvertFileOk);
    std::ifstream result(dir_ / "out.txt", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(result), {});
  }
  engine::Identification IdentifiedAsFile(const Bytes& input, bool guess) {
    std::ofstream(dir_ / "detect.txt", std::ios::binary) << input;
    engine::Identification identification;
    platform::ErrorCode error = 0;
    EXPECT_TRUE(IdentifyFile((dir_ / "detect.txt").u16string().c_str(), guess, &identification, &error));
    return identification;
  }
  fs::path dir_;
  FileConverter converter_;
};

// A stream through a fresh converter, as the filter converts it.
ConversionOutcome ConvertStream(ByteSource& source, ByteSink& sink, const ConversionOptions& options,
                                std::size_t holdInMemory = std::size_t(1) << 20) {
  Converter converter;
  converter.SetHoldInMemory(holdInMemory);
  ConversionOutcome outcome;
  if (converter.Identify(source, options, &outcome)) converter.Convert(sink, options, &outcome);
  return outcome;
}

std::vector<CharsetCode> EverySet() {
  std::vector<CharsetCode> sets;
  for (CharsetCode code = 0; code < 49; ++code) sets.push_back(code);
  for (CharsetCode code : {CharsetUtf8, CharsetUtf16, CharsetUtf16BE}) sets.push_back(code);
  return sets;
}

TEST_F(ConvertStreamTest, EverySetToEverySetAsAFileGivesIt) {
  const Bytes texts[] = {"", "line\r\nbreak\rs\n", Bytes("\xEF\xBB\xBF" "caf\xC3\xA9 \xE2\x82\xAC\x00\xFF\x80", 14)};
  ConversionOptions options;
  options.sourceChoice = SourceSetChoice::Given;
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
        options.sourceSet = from;
        options.destinationSet = to;
        options.destinationName = u"x";
        PieceSource source(text, 5);
        CollectingSink sink;
        const ConversionOutcome outcome = ConvertStream(source, sink, options);
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
  ConversionOptions options;
  options.destinationSet = CharsetUtf16;
  for (const Bytes& text : texts) {
    const CharsetCode expected = IdentifiedAsFile(text, false).set;
    PieceSource source(text, 70000);
    CollectingSink sink;
    // A bound far below the text: most of what is held waits in the file.
    const ConversionOutcome outcome = ConvertStream(source, sink, options, 1000);
    ASSERT_EQ(outcome.result, ConvertFileOk);
    EXPECT_EQ(outcome.source.set, expected) << text.size() << " bytes";
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
  const ConversionOutcome outcome = ConvertStream(source, sink, ConversionOptions{});
  EXPECT_EQ(outcome.source.set, CharsetUtf16);
  EXPECT_GT(sink.readAtFirstOutput, 0u);
  EXPECT_LT(sink.readAtFirstOutput, marked.size() / 2);
}

TEST_F(ConvertStreamTest, AGuessedStreamTakesTheSetTheFileIsGuessedAs) {
  // Russian in Windows-1251: detection alone would call it Windows-1252.
  const Bytes russian = "\xD1\xFA\xE5\xF8\xFC\x20\xE6\xE5\x20\xE5\xF9\xB8\x20\xFD\xF2\xE8\xF5\x20\xEC\xFF\xE3\xEA\xE8\xF5\x20\xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5\x20\xE1\xF3\xEB\xEE\xEA\x2C\x20\xE4\xE0\x20\xE2\xFB\xEF\xE5\xE9\x20\xF7\xE0\xFE\x2E\x20\xD8\xE8\xF0\xEE\xEA\xE0\xFF\x20\xFD\xEB\xE5\xEA\xF2\xF0\xE8\xF4\xE8\xEA\xE0\xF6\xE8\xFF\x20\xFE\xE6\xED\xFB\xF5\x20\xE3\xF3\xE1\xE5\xF0\xED\xE8\xE9\x20\xE4\xE0\xF1\xF2\x20\xEC\xEE\xF9\xED\xFB\xE9\x20\xF2\xEE\xEB\xF7\xEE\xEA\x20\xEF\xEE\xE4\xFA\xB8\xEC\xF3\x20\xF1\xE5\xEB\xFC\xF1\xEA\xEE\xE3\xEE\x20\xF5\xEE\xE7\xFF\xE9\xF1\xF2\xE2\xE0\x2E";
  const engine::Identification asFile = IdentifiedAsFile(russian, true);
  EXPECT_NE(asFile.set, CharsetWindows1252);
  PieceSource source(russian, 7);
  CollectingSink sink;
  ConversionOptions options;
  options.sourceChoice = SourceSetChoice::Guessed;
  const ConversionOutcome outcome = ConvertStream(source, sink, options);
  ASSERT_EQ(outcome.result, ConvertFileOk);
  EXPECT_EQ(outcome.source.set, asFile.set);
  EXPECT_TRUE(outcome.source.guessed);
  EXPECT_EQ(sink.out, AsFile(russian, asFile.set, CharsetUtf8));
  EXPECT_NE(sink.out.find("\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C"), Bytes::npos);  // "Съешь" in UTF-8
}

TEST_F(ConvertStreamTest, AFailedReadSaysSo) {
  FailingSource source;
  CollectingSink sink;
  const ConversionOutcome outcome = ConvertStream(source, sink, ConversionOptions{});
  EXPECT_EQ(outcome.result, ConvertFileNotRead);
  EXPECT_EQ(outcome.error, 5u);
  EXPECT_EQ(sink.out, "");
}

}  // namespace
}  // namespace recodo
