// Reads fuzzer bytes as the inputs of one comparison.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/kernels/dispatch.h"

namespace fuzz {

inline std::vector<std::uint16_t> AsUnits(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint16_t> units(size / 2);
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  return units;
}

// Stops the run with a crash the fuzzer records when the two sides differ.
inline void Check(bool same) {
  if (!same) std::abort();
}

// Runs `check` once at each kernel level this processor runs, each pinned
// in turn, so that every input meets every level.
template <typename Check>
void AtEveryLevel(Check check) {
  for (int l = 0; l < recodo::kernels::kLevelCount; ++l) {
    const auto level = static_cast<recodo::kernels::Level>(l);
    if (!recodo::kernels::Runs(level)) continue;
    recodo::kernels::Use(level);
    check();
  }
}

// Runs `check` once, at the level `choice` picks among those this processor
// runs: the input chooses, so that a long campaign meets every level at a
// quarter of the cost.
template <typename Check>
void AtOneLevel(unsigned choice, Check check) {
  int runs[recodo::kernels::kLevelCount];
  int count = 0;
  for (int l = 0; l < recodo::kernels::kLevelCount; ++l)
    if (recodo::kernels::Runs(static_cast<recodo::kernels::Level>(l))) runs[count++] = l;
  recodo::kernels::Use(static_cast<recodo::kernels::Level>(runs[choice % count]));
  check();
}

}  // namespace fuzz
