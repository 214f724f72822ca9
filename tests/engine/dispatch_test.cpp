#include <gtest/gtest.h>

#include <cstdlib>

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

}  // namespace
