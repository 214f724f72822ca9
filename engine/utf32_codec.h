// UTF-32, little and big endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo::utf32 {

std::size_t Decode(bool bigEndian, const std::uint8_t* bytes, std::size_t n, bool last, std::uint16_t* out,
                   std::size_t* consumed, std::uint64_t* substitutions);
std::size_t Encode(bool bigEndian, const std::uint16_t* units, std::size_t n, std::uint8_t* out,
                   std::uint64_t* losses);

}  // namespace recodo::utf32
