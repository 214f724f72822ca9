// Line-break rewriting against the reference, every style.
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  fuzz::AtEveryLevel([&] {
    const int type = static_cast<int>(data[0] % 5);
    std::vector<std::uint16_t> units = fuzz::AsUnits(data + 1, size - 1);
    // Fold most units onto CR, LF and a letter so that breaks are common.
    for (auto& u : units)
      if ((u & 0x300) != 0x300) u = (u & 3) == 0 ? 0x0D : (u & 3) == 1 ? 0x0A : (u & 3) == 2 ? 'x' : u;
    const auto n = static_cast<std::uint32_t>(units.size() * 2);

    std::uint32_t size16 = 0;
    TransformNewLineCharacter(type, units.data(), n, nullptr, &size16);
    std::vector<std::uint16_t> out(size16 / 2);
    std::uint32_t length = 0;
    TransformNewLineCharacter(type, units.data(), n, out.data(), &length);
    const reference::Units want = reference::TransformNewLines(type, units);
    fuzz::Check(length == size16 && length == want.length && out == want.data);
  });
  return 0;
}
