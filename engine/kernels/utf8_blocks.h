// The UTF-8 measuring pass over blocks of 64 bytes, on bit masks of the
// byte classes that each vector level computes its own way.
//
// A block is taken when every continuation byte in it is the one a lead
// byte before it asks for, no byte is 0xF8 or above, and every byte a lead
// asks for is a continuation byte. The measuring pass checks no values, so
// that is all it needs: a taken block counts one unit a character and two
// for each four-byte form. A character that runs into the next block is
// counted with that block; when the next block is not taken, the kernel
// gives back from that character's lead byte.
//
// Everything here has internal linkage: each level's file compiles its own
// copy with its own instructions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/charset_codes.h"

namespace recodo::kernels {
namespace {

struct ByteClasses {
  std::uint64_t nonAscii;  // 0x80..0xFF
  std::uint64_t fromC0;    // 0xC0..0xFF
  std::uint64_t fromE0;
  std::uint64_t fromF0;
  std::uint64_t fromF8;
};

inline int CountOnes(std::uint64_t mask) { return __builtin_popcountll(mask); }

// Measures blocks of 64 bytes while `classify` can give their classes:
// Classify(const std::uint8_t* block, ByteClasses* out).
template <typename Classify>
std::size_t MeasureBlocks(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r,
                          Classify classify) {
  std::size_t q = 0;
  std::uint64_t carry = 0;     // bytes of this block that a lead before it asks for
  std::size_t pendingLead = 0;  // where the character that runs into this block starts
  std::size_t pendingUnits = 0;
  std::size_t counted = *units;
  bool multi = false;
  // Takes one block, `size` bytes of it the text's (64 but for the last);
  // false when the block does not hold whole, valid forms.
  const auto take = [&](const ByteClasses& c, std::size_t size) {
    const std::uint64_t real = size < 64 ? (std::uint64_t(1) << size) - 1 : ~std::uint64_t(0);
    if (c.nonAscii == 0 && carry == 0) {
      counted += size;
      pendingUnits = 0;
      q += 64;
      return true;
    }
    const std::uint64_t cont = c.nonAscii & ~c.fromC0;
    const std::uint64_t lead4 = c.fromF0 & ~c.fromF8;
    const std::uint64_t asksOne = c.fromC0 & ~c.fromF8;        // every lead of a two- to four-byte form
    const std::uint64_t asksTwo = c.fromE0 & ~c.fromF8;        // three- and four-byte leads
    const std::uint64_t expected = (asksOne << 1) | (asksTwo << 2) | (lead4 << 3) | carry;
    if (expected != cont || c.fromF8 != 0) return false;
    const std::uint64_t carryOut = (asksOne >> 63) | (asksTwo >> 62) | (lead4 >> 61);
    // The highest lead is the one that runs on, when one does.
    const std::uint64_t runsOn = carryOut != 0 ? std::uint64_t(1) << (63 - __builtin_clzll(asksOne)) : 0;
    counted += CountOnes(~cont & real) + CountOnes(lead4 & real);
    multi |= carry != 0 || (asksOne & ~runsOn) != 0;
    pendingLead = q + (runsOn != 0 ? 63 - __builtin_clzll(runsOn) : 0);
    pendingUnits = runsOn == 0 ? 0 : (runsOn & lead4) != 0 ? 2 : 1;
    carry = carryOut;
    q += 64;
    return true;
  };
  // The whole blocks: the loop that counts for long texts, kept to them.
  bool taken = true;
  while (taken && len - q >= 64) {
    ByteClasses c;
    classify(src + q, &c);
    taken = take(c, 64);
  }
  if (taken && q < len) {
    const std::size_t left = len - q;
    ByteClasses c;
    if (len >= 64) {
      // The last bytes: the block that ends with the text, its bits moved
      // down to them. What comes in above reads as ASCII, so a character
      // cut by the end meets no continuation, and the block is not taken.
      classify(src + len - 64, &c);
      const unsigned drop = static_cast<unsigned>(64 - left);
      c.nonAscii >>= drop;
      c.fromC0 >>= drop;
      c.fromE0 >>= drop;
      c.fromF0 >>= drop;
      c.fromF8 >>= drop;
    } else {
      // A text shorter than a block: a copy padded with ASCII, to the same end.
      std::uint8_t tail[64];
      std::memcpy(tail, src + q, left);
      std::memset(tail + left, 0, 64 - left);
      classify(tail, &c);
    }
    take(c, left);
  }
  if (q > len) q = len;  // the padded last block was taken whole
  if (carry != 0) {
    // Not taken after all: the character that ran into the refused block.
    counted -= pendingUnits;
    q = pendingLead;
  }
  *units = counted;
  if (multi) *r |= ConvMultiByteSeen;
  return q;
}

}  // namespace
}  // namespace recodo::kernels
