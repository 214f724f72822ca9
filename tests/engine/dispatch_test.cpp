#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "at_every_level.h"
#include "call.h"

using recodo::kernels::Level;
using recodo::kernels::PickLevel;

namespace {

// Asked before any test pins a level: what the first call chose.
const Level kChosenAtStart = recodo::kernels::Current();

TEST(Dispatch, TheFirstCallChoosesFromTheProcessorAndTheSetting) {
  EXPECT_EQ(kChosenAtStart, PickLevel(std::getenv("RECODO_KERNELS"), levels::Best()))
      << "RECODO_KERNELS=" << (std::getenv("RECODO_KERNELS") ? std::getenv("RECODO_KERNELS") : "(unset)");
}

TEST(Dispatch, TheSettingPinsALowerLevelOnly) {
  EXPECT_EQ(PickLevel(nullptr, Level::Avx2), Level::Avx2);
  EXPECT_EQ(PickLevel("baseline", Level::Avx2), Level::Baseline);
  EXPECT_EQ(PickLevel("portable", Level::Avx512), Level::Portable);
  EXPECT_EQ(PickLevel("avx2", Level::Avx512), Level::Avx2);
  EXPECT_EQ(PickLevel("avx512", Level::Avx2), Level::Avx2) << "never above what the processor runs";
  EXPECT_EQ(PickLevel("AVX2", Level::Avx512), Level::Avx512) << "names are exact";
  EXPECT_EQ(PickLevel("", Level::Baseline), Level::Baseline);
  EXPECT_EQ(PickLevel("sse", Level::Baseline), Level::Baseline);
}

TEST(Dispatch, CallsGoToThePinnedLevel) {
  EXPECT_TRUE(recodo::kernels::Runs(Level::Portable));
#if RECODO_VECTOR_KERNELS
  EXPECT_TRUE(recodo::kernels::Runs(Level::Baseline)) << "SSE2 is part of x86-64";
#else
  EXPECT_FALSE(recodo::kernels::Runs(Level::Baseline)) << "a build without vector kernels has none";
#endif
  for (int l = 0; l < recodo::kernels::kLevelCount; ++l) {
    const auto level = static_cast<Level>(l);
    if (!recodo::kernels::Runs(level)) continue;
    recodo::kernels::Use(level);
    EXPECT_EQ(recodo::kernels::Current(), level);
    // And the engine works there.
    EXPECT_EQ(call::DecodeUtf8({0x41, 0xC3, 0xA9}).units, (call::Units{0x41, 0xE9}));
  }
  recodo::kernels::Use(levels::Best());
  EXPECT_EQ(recodo::kernels::Current(), levels::Best());
}

// A level that leaves every entry to the one below would pin nothing new.
TEST(Dispatch, EachLevelBringsKernelsOfItsOwn) {
  recodo::kernels::Table below{};
  for (int l = 0; l < recodo::kernels::kLevelCount; ++l) {
    const auto level = static_cast<Level>(l);
    if (!recodo::kernels::Runs(level)) continue;
    recodo::kernels::Use(level);
    const recodo::kernels::Table table = recodo::kernels::Active();
    EXPECT_NE(std::memcmp(&table, &below, sizeof table), 0) << recodo::kernels::LevelName(level);
    below = table;
  }
  recodo::kernels::Use(levels::Best());
}

#if RECODO_VECTOR_KERNELS
// The permuting and compressing kernels come with the instructions they need.
TEST(Dispatch, Avx512TakesTheVbmiKernelsWhereTheProcessorHasThem) {
  if (!recodo::kernels::Runs(Level::Avx512)) GTEST_SKIP() << "no AVX-512 here";
  recodo::kernels::Use(Level::Avx2);
  const recodo::kernels::Table avx2 = recodo::kernels::Active();
  recodo::kernels::Use(Level::Avx512);
  const recodo::kernels::Table avx512 = recodo::kernels::Active();
  recodo::kernels::Use(levels::Best());
  const bool vbmi = __builtin_cpu_supports("avx512vbmi"), vbmi2 = __builtin_cpu_supports("avx512vbmi2");
  EXPECT_NE(avx512.utf8Measure, avx2.utf8Measure);
  EXPECT_NE(avx512.utf8Size, avx2.utf8Size);
  EXPECT_EQ(avx512.singleDecode != avx2.singleDecode, vbmi);
  EXPECT_EQ(avx512.utf8Decode != avx2.utf8Decode, vbmi && vbmi2);
  EXPECT_EQ(avx512.utf8Encode != avx2.utf8Encode, vbmi2);
  std::printf("avx512 with VBMI %s, VBMI2 %s\n", vbmi ? "yes" : "no", vbmi2 ? "yes" : "no");
}
#endif

}  // namespace
