// The single-byte sets' part of the guess: the bytes read through every
// table, each reading scored against letter-pair models of the languages
// written in that table's script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "guess_reading.h"

namespace recodo::guess {

inline constexpr std::uint64_t kNoCost = std::numeric_limits<std::uint64_t>::max();

struct SingleByteStanding {
  TableRow winner = -1;  // -1: no pair of the text holds a byte 0x80 or above, or no table reads as a language
  int language = -1;
  // In eighths of a bit: the winner's, and the best of a table that reads
  // the upper bytes otherwise.
  std::uint64_t cost = kNoCost, runnerUp = kNoCost;
  std::uint64_t upperBytes = 0;      // bytes 0x80 or above the scores rest on
  std::uint64_t leastAsciiCost = 0;  // of the ASCII letter pairs, in the language they suit best
  std::size_t span = 0;              // bytes whose every pair the costs include
};

SingleByteStanding ScoreSingleByteSets(const std::uint8_t* data, std::size_t length);

}  // namespace recodo::guess
