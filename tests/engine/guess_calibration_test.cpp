// How far the guess's confidence can be trusted, on text it was never tuned
// on: the held-out half of the accuracy benchmark's samples
// (tests/data/guess_heldout.bin, written by
// bench/make_guess_samples.py --compact). A guess at kHighGuessConfidence or
// above replaces or deletes a source without asking, so of those at most
// one in a hundred may read the text otherwise than its true set does, at
// every size.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "bench/guess_samples.h"
#include "engine/engine.h"
#include "recodo/recodo.h"

namespace recodo {
namespace {

using namespace guess_samples;

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
