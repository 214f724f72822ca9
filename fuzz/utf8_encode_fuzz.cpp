// UTF-8 encoding with a capacity taken from the input, against the reference.
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  fuzz::AtEveryLevel([&] {
    const std::uint32_t capacityHint = data[0] | (data[1] << 8);
    const std::vector<std::uint16_t> units = fuzz::AsUnits(data + 2, size - 2);
    const auto n = static_cast<std::uint32_t>(units.size() * 2);

    std::uint32_t query = 0;
    ConvertDoubleByteToUtf8(units.data(), n, nullptr, &query);
    fuzz::Check(query == reference::EncodeUtf8(units, 0).length);

    // Capacity 0 would be the size query again; the hint picks another.
    const std::uint32_t capacity = capacityHint % (query + 2) + 1;
    constexpr std::uint8_t kUntouched = 0xA5;
    std::vector<std::uint8_t> out(capacity, kUntouched);
    std::uint32_t length = capacity;
    const std::uint32_t result = ConvertDoubleByteToUtf8(units.data(), n, out.data(), &length);
    const reference::Bytes want = reference::EncodeUtf8(units, capacity);
    fuzz::Check(result == want.result && length == want.length);
    // Nothing past what it says it wrote, even within the capacity.
    for (std::size_t k = length; k < out.size(); ++k) fuzz::Check(out[k] == kUntouched);
    out.resize(length);
    fuzz::Check(out == want.data);
  });
  return 0;
}
