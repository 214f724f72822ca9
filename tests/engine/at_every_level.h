// Tests that run once for each kernel level: the level is pinned for the
// test and the best one is back in use after it. A level this build or this
// processor lacks is skipped, and says so.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/kernels/dispatch.h"

namespace levels {

using recodo::kernels::Level;

inline Level Best() {
  Level best = Level::Portable;
  for (int l = 0; l < recodo::kernels::kLevelCount; ++l)
    if (recodo::kernels::Runs(static_cast<Level>(l))) best = static_cast<Level>(l);
  return best;
}

class AtEveryLevel : public ::testing::TestWithParam<Level> {
 protected:
  void SetUp() override {
    if (!recodo::kernels::Runs(GetParam()))
      GTEST_SKIP() << recodo::kernels::LevelName(GetParam()) << " kernels: not built or not on this processor";
    recodo::kernels::Use(GetParam());
  }
  void TearDown() override { recodo::kernels::Use(Best()); }
};

inline std::string Name(const ::testing::TestParamInfo<Level>& info) {
  return recodo::kernels::LevelName(info.param);
}

}  // namespace levels

#define RECODO_AT_EVERY_LEVEL(suite)                                                                            \
  INSTANTIATE_TEST_SUITE_P(Levels, suite,                                                                       \
                           ::testing::Values(levels::Level::Portable, levels::Level::Baseline,                 \
                                             levels::Level::Avx2, levels::Level::Avx512),                      \
                           levels::Name)
