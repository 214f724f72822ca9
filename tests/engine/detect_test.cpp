#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "call.h"
#include "engine/detector.h"
#include "temp_file.h"
#include "reference/reference_codecs.h"

using namespace call;

namespace {

TEST(Detect, ByteOrderMarksAndZeroBytes) {
  EXPECT_EQ(Detect({}), 0);
  EXPECT_EQ(DetectCharacterSet(nullptr, 0), 0);
  EXPECT_EQ(Detect({0x61, 0x62}), 0);
  EXPECT_EQ(Detect({0xFF, 0xFE}), 0) << "two bytes are never examined";
  EXPECT_EQ(Detect({0xFE, 0xFF, 0x00}), 102);
  EXPECT_EQ(Detect({0xFF, 0xFE, 0x41}), 101);
  EXPECT_EQ(Detect({0xEF, 0xBB, 0xBF}), 100);
  EXPECT_EQ(Detect({0x41, 0x00, 0x42}), 101);
  EXPECT_EQ(Detect({0x00, 0x41, 0x00}), 102);
  EXPECT_EQ(Detect({0x00, 0x00, 0x00}), 0);
}

TEST(Detect, Utf8WellFormednessThenTheTables) {
  EXPECT_EQ(Detect({0x43, 0x61, 0x66, 0xC3, 0xA9}), 100);
  EXPECT_EQ(Detect({0x43, 0x61, 0x66, 0xE9}), 0);
  EXPECT_EQ(Detect({0x61, 0x62, 0x63}), 0);
  EXPECT_EQ(Detect({0x61, 0x62, 0x63, 0xC3, 0xA9, 0x80}), 0);
  EXPECT_EQ(Detect({0x61, 0x62, 0x63, 0xC3}), 0);
  EXPECT_EQ(Detect({0x61, 0x62, 0xC3, 0xA9, 0xE2}), 100);
  EXPECT_EQ(Detect({0xED, 0xA0, 0x80}), 100);
  EXPECT_EQ(Detect({0x61, 0xC3, 0xA9, 0xE2, 0x41}), 0) << "a cut lead followed by text rules UTF-8 out";
}

// A temporary file that is removed again.
struct TempFile : test::TempFile {
  explicit TempFile(const Bytes& content) : test::TempFile(content, "recodo-detect-") {}
};

int DetectFile(const std::u16string& path) {
  return DetectCharacterSetByFile(reinterpret_cast<const std::uint16_t*>(path.c_str()));
}

TEST(DetectByFile, UnreadableFilesCountAsWindows1252) {
  EXPECT_EQ(DetectFile(u"no-such-directory/no-such-file.txt"), 18);
  const std::string dir = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(DetectFile(std::u16string(dir.begin(), dir.end())), 18) << "a directory";
}

TEST(DetectByFile, ClassifiesTheContent) {
  EXPECT_EQ(DetectFile(TempFile({}).Path()), 0);
  EXPECT_EQ(DetectFile(TempFile({0xFF, 0xFE, 0x41, 0x00}).Path()), 101);
  EXPECT_EQ(DetectFile(TempFile({0x43, 0x61, 0x66, 0xC3, 0xA9}).Path()), 100);
  EXPECT_EQ(DetectFile(TempFile({0x43, 0x61, 0x66, 0xE9}).Path()), 0);
}

TEST(DetectByFile, LargeFilesGiveTheWholeBufferAnswer) {
  // More than one read block; the decisive byte sits at the far end.
  Bytes text(700 * 1024, 'a');
  text[3] = 0xC3;
  text[4] = 0xA9;
  EXPECT_EQ(DetectFile(TempFile(text).Path()), 100);
  text.back() = 0x80;
  EXPECT_EQ(DetectFile(TempFile(text).Path()), 0);
  text[text.size() - 2] = 0xE2;
  text.back() = 0x82;  // cut off at the very end: still UTF-8
  EXPECT_EQ(DetectFile(TempFile(text).Path()), 100);
}

// Random texts cut into random pieces, some as small as one byte, must get
// the answer of the whole buffer and of the plain reference.
TEST(Detector, AnswerDoesNotDependOnHowTheTextIsCut) {
  std::mt19937 rng(20261207);
  const Bytes pieces[] = {{0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {0xE2}, {0x80},
                          {0xFC, 0x80}, {0xF8}, {0xFF}, {0x00}, {'a'}, {'b', 'c'}, {0xED, 0xA0, 0x80}};
  for (int round = 0; round < 3000; ++round) {
    Bytes text;
    const int count = std::uniform_int_distribution<int>(0, 12)(rng);
    for (int i = 0; i < count; ++i) {
      const Bytes& piece = pieces[std::uniform_int_distribution<int>(0, 11)(rng) % (round % 3 == 0 ? 12 : 4)];
      text.insert(text.end(), piece.begin(), piece.end());
    }
    const int whole = Detect(text);
    ASSERT_EQ(whole, reference::Detect(text)) << ::testing::PrintToString(text);
    recodo::Detector detector;
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t n = std::min<std::size_t>(text.size() - at, std::uniform_int_distribution<int>(0, 4)(rng));
      detector.Feed(text.data() + at, n);
      at += n;
    }
    ASSERT_EQ(detector.Finish(), whole) << ::testing::PrintToString(text);
  }
}

TEST(DetectByFile, RandomFilesMatchTheBufferAnswer) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    const int size = round % 2 ? std::uniform_int_distribution<int>(0, 600 * 1024)(rng)
                               : std::uniform_int_distribution<int>(0, 2000)(rng);
    Bytes text(size, 'x');
    const int marks = std::uniform_int_distribution<int>(0, round % 4 == 0 ? 3 : 40)(rng);
    for (int i = 0; i < marks && !text.empty(); ++i) {
      const std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
      const int form = std::uniform_int_distribution<int>(0, 3)(rng);
      if (form == 0 || at + 2 > text.size()) {
        text[at] = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0x80, 0xFF)(rng));
      } else {  // a well-formed two-byte character keeps UTF-8 in the running
        text[at] = 0xC3;
        text[at + 1] = 0xA9;
      }
    }
    const TempFile file(text);
    EXPECT_EQ(DetectFile(file.Path()), Detect(text));
    const std::uint32_t block = std::uniform_int_distribution<std::uint32_t>(1, 9)(rng);
    if (text.size() < 64 * 1024) {
      EXPECT_EQ(recodo::DetectFile(file.Path().c_str(), block), Detect(text));
    }
  }
}

}  // namespace
