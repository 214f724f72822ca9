// The searches the program makes over text, through the kernels of the
// level in use.
#include "engine/engine.h"
#include "kernels/dispatch.h"

namespace recodo::engine {

std::size_t AsciiPrefix(std::span<const std::uint8_t> bytes) {
  return kernels::Active().asciiPrefix(bytes.data(), bytes.size());
}

std::size_t UnitsBefore(std::span<const std::uint16_t> units, std::uint16_t a, std::uint16_t b) {
  return kernels::Active().unitsBefore(units.data(), units.size(), a, b);
}

bool AnySurrogate(std::span<const std::uint16_t> units) {
  return kernels::Active().anySurrogate(units.data(), units.size());
}

}  // namespace recodo::engine
