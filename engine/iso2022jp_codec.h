// ISO-2022-JP (RFC 1468): ASCII, JIS X 0201 Roman and JIS X 0208 in seven
// bits, switched by escape sequences; the shift state is carried from piece
// to piece.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo::iso2022jp {

std::size_t Decode(const std::uint8_t* bytes, std::size_t n, bool last, std::uint16_t* out, std::uint32_t* state,
                   std::size_t* consumed, std::uint64_t* substitutions);
// Five bytes a unit at most: an escape sequence and a character. What the
// form lacks becomes '?': U+FFFD and U+FFFF count in *standIns, the rest in
// *losses.
std::size_t Encode(const std::uint16_t* units, std::size_t n, std::uint8_t* out, std::uint32_t* state,
                   std::uint64_t* losses, std::uint64_t* standIns);
// Back to ASCII, as every text must end.
std::size_t Finish(std::uint8_t* out, std::uint32_t* state);

}  // namespace recodo::iso2022jp
