// How far the guess's confidence can be trusted, on text it was never tuned
// on: the held-out half of the accuracy benchmark's samples
// (tests/data/guess_heldout.bin, written by
// bench/make_guess_samples.py --compact). A guess at kHighGuessConfidence or
// above replaces or deletes a source without asking, so of those at most
// one in a hundred may read the text otherwise than its true set does, at
// every size.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "recodo/recodo.h"

namespace recodo {
namespace {

struct Sample {
  int set, language, size, half;
  std::vector<std::uint8_t> bytes;
};

struct SampleFile {
  std::vector<std::string> languages, sizes;
  std::vector<Sample> samples;
};

// The benchmark's file: "RGSAMPL2", a header of lines ("languages en fr ...",
// "sizes 64 256 1024", the sources), then records of u32 length, u8 set,
// u8 language, u8 size class, u8 half, bytes.
bool ReadSamples(const std::string& path, SampleFile* file) {
  std::ifstream in(path, std::ios::binary);
  char magic[8];
  unsigned char count[4];
  if (!in.read(magic, 8) || std::memcmp(magic, "RGSAMPL2", 8) != 0 || !in.read(reinterpret_cast<char*>(count), 4))
    return false;
  std::string header(count[0] | count[1] << 8 | count[2] << 16 | std::size_t(count[3]) << 24, '\0');
  if (!in.read(header.data(), std::streamsize(header.size()))) return false;
  std::istringstream lines(header);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string key, word;
    words >> key;
    if (key == "languages")
      while (words >> word) file->languages.push_back(word);
    if (key == "sizes")
      while (words >> word) file->sizes.push_back(word);
  }
  for (;;) {
    unsigned char head[8];
    if (!in.read(reinterpret_cast<char*>(head), 8)) break;
    const std::uint32_t length = head[0] | head[1] << 8 | head[2] << 16 | std::uint32_t(head[3]) << 24;
    Sample s{head[4], head[5], head[6], head[7], std::vector<std::uint8_t>(length)};
    if (!in.read(reinterpret_cast<char*>(s.bytes.data()), length)) return false;
    if (s.language >= int(file->languages.size()) || s.size >= int(file->sizes.size())) return false;
    file->samples.push_back(std::move(s));
  }
  return in.eof();
}

// What the bytes read as through `set`, and how many of them stand for
// bytes it does not read; false for a code no text is read in.
bool Decode(CharsetCode set, const std::vector<std::uint8_t>& bytes, std::vector<std::uint16_t>* units,
            std::uint64_t* substitutions) {
  const std::span<const std::uint8_t> span(bytes);
  units->assign(bytes.size() + 1, 0);
  *substitutions = 0;
  if (IsAnySingleByteCharset(set)) {
    engine::DecodeSingleByte(set, span, units->data());
    units->resize(bytes.size());
    for (std::uint16_t unit : *units) *substitutions += unit == UndefinedUnit;
  } else if (set == CharsetUtf8) {
    engine::Utf8Decoding progress;
    engine::DecodeUtf8(span, true, units->data(), &progress);
    units->resize(progress.units);
    *substitutions = progress.substitutions;
  } else if (IsUtf16Charset(set)) {
    units->resize(bytes.size() / 2);
    for (std::size_t i = 0; i < units->size(); ++i)
      (*units)[i] = set == CharsetUtf16BE ? bytes[2 * i] << 8 | bytes[2 * i + 1] : bytes[2 * i] | bytes[2 * i + 1] << 8;
    if (bytes.size() % 2) units->push_back(ReplacementCharacter), ++*substitutions;
  } else if (engine::IsMultiByteSet(set)) {
    engine::TextDecoding progress;
    engine::DecodeMultiByte(set, span, true, units->data(), &progress);
    units->resize(progress.units);
    *substitutions = progress.substitutions;
  } else {
    return false;
  }
  return true;
}

std::string Name(CharsetCode set) {
  std::string out;
  if (const char16_t* n = engine::SetName(set))
    for (; *n; ++n) out += char(*n);
  return out.empty() ? std::to_string(set) : out;
}

class GuessCalibration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    file_ = new SampleFile;
    loaded_ = ReadSamples(RECODO_GUESS_HELDOUT, file_);
  }
  static void TearDownTestSuite() { delete file_; }
  static SampleFile* file_;
  static bool loaded_;
};
SampleFile* GuessCalibration::file_ = nullptr;
bool GuessCalibration::loaded_ = false;

TEST_F(GuessCalibration, TheHeldOutSamplesAreThereAndReadCleanlyInTheirOwnSets) {
  ASSERT_TRUE(loaded_) << RECODO_GUESS_HELDOUT;
  ASSERT_EQ(file_->sizes.size(), 3u);
  std::vector<long> perSize(3);
  std::vector<std::uint16_t> units;
  std::uint64_t substitutions = 0;
  for (const Sample& s : file_->samples) {
    EXPECT_EQ(s.half, 1) << "a tuned sample in the held-out file";
    ASSERT_TRUE(Decode(s.set, s.bytes, &units, &substitutions)) << s.set;
    EXPECT_EQ(substitutions, 0u) << file_->languages[s.language] << " in " << Name(s.set);
    ++perSize[s.size];
  }
  for (int z = 0; z < 3; ++z) EXPECT_GE(perSize[z], 100) << file_->sizes[z] << " bytes";
}

TEST_F(GuessCalibration, AtLeast99PercentOfConfidentGuessesAreRightAtEverySize) {
  ASSERT_TRUE(loaded_) << RECODO_GUESS_HELDOUT;
  std::vector<long> confident(file_->sizes.size()), right(file_->sizes.size());
  // Per size, the wrong confident guesses: (true set, guess) and how many.
  std::vector<std::map<std::pair<CharsetCode, CharsetCode>, long>> wrong(file_->sizes.size());
  std::vector<std::uint16_t> truth, read;
  std::uint64_t substitutions = 0;
  for (const Sample& s : file_->samples) {
    std::int32_t confidence = -1;
    const CharsetCode guess = GuessCharacterSet(s.bytes.data(), std::uint32_t(s.bytes.size()), &confidence);
    ASSERT_GE(confidence, 0);
    ASSERT_LE(confidence, 100);
    if (confidence < engine::kHighGuessConfidence) continue;
    ++confident[s.size];
    ASSERT_TRUE(Decode(s.set, s.bytes, &truth, &substitutions));
    if (Decode(guess, s.bytes, &read, &substitutions) && read == truth) ++right[s.size];
    else ++wrong[s.size][{s.set, guess}];
  }
  for (std::size_t z = 0; z < file_->sizes.size(); ++z) {
    EXPECT_GT(confident[z], 0) << file_->sizes[z] << " bytes: no guess is confident, so none is measured";
    std::string misses;
    for (const auto& [pair, n] : wrong[z])
      misses += "\n  " + Name(pair.first) + " taken for " + Name(pair.second) + ": " + std::to_string(n);
    EXPECT_GE(right[z] * 100, confident[z] * 99)
        << file_->sizes[z] << " bytes: " << right[z] << " right of " << confident[z]
        << " guesses at confidence >= " << engine::kHighGuessConfidence << misses;
  }
}

}  // namespace
}  // namespace recodo
