// Windows of 16 start positions for UTF-8 decoding: which lanes of a
// window of 32 bytes start characters, and whether the window holds only
// ASCII and two- to four-byte forms. Each level computes the byte masks its
// own way; internal linkage, so each compiles its own copy.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo::kernels {
namespace {

struct WindowMasks {
  std::uint32_t cont;   // continuation bytes
  std::uint32_t lead;   // leads of two- to four-byte forms, among the lanes taken
  std::uint32_t lead3;  // leads of three-byte forms
  std::uint32_t lead4;  // leads of four-byte forms, among the lanes taken
  unsigned keep;        // lanes that give a unit: starts, and the low half of a pair
  bool wellFormed;      // positions 0..15 start or continue such forms only
  std::size_t consumed; // bytes of the characters taken
};

// From the masks of the 32 bytes: continuation bytes, leads of two- and
// three-byte forms, bytes from 0xF0, and leads of four-byte forms.
WindowMasks ClassifyWindow(std::uint32_t cont, std::uint32_t lead2, std::uint32_t lead3, std::uint32_t fromF0,
                           std::uint32_t lead4) {
  WindowMasks w;
  w.cont = cont;
  w.lead3 = lead3;
  const std::uint32_t big = fromF0 & ~lead4;
  // Every continuation byte must be the one a lead before it asks for, and
  // no five- or six-byte form may take part (checked up to position 18,
  // where the last form that starts at 15 ends).
  const std::uint32_t expected =
      ((lead2 | w.lead3 | lead4) << 1) | ((w.lead3 | lead4) << 2) | (lead4 << 3);
  constexpr std::uint32_t kChecked = 0x7FFFF;
  w.wellFormed = ((expected ^ w.cont) & kChecked) == 0 && (big & kChecked) == 0;
  // A four-byte form gives its high surrogate in its lead's lane and its low
  // one in the lane of its first continuation byte; one that starts in the
  // last lane would have that lane outside the window, so it waits.
  unsigned lanes = 0xFFFF;
  if (lead4 & 0x8000) {
    lanes = 0x7FFF;
    w.consumed = 15;
  } else {
    const std::uint32_t c16 = (w.cont >> 16) & 1, c17 = (w.cont >> 17) & 1, c18 = (w.cont >> 18) & 1;
    w.consumed = 16 + c16 + (c16 & c17) + (c16 & c17 & c18);
  }
  lead4 &= lanes;
  w.lead4 = lead4;
  w.lead = (lead2 | w.lead3 | lead4) & lanes;
  w.keep = (~w.cont | (lead4 << 1)) & lanes;
  return w;
}


}  // namespace
}  // namespace recodo::kernels
