// UTF-8 decoding, converting and measuring pass, against the reference.
#include "engine/utf8_decoder.h"
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::AtEveryLevel([&] {
    const std::vector<std::uint8_t> text(data, data + size);
    const auto n = static_cast<std::uint32_t>(size);

    std::uint32_t measured = 0;
    const std::uint32_t measureResult = ConvertUtf8ToDoubleByte(text.data(), n, nullptr, &measured);
    const reference::Units wantMeasure = reference::DecodeUtf8(text, true);
    fuzz::Check(measured == wantMeasure.length && measureResult == wantMeasure.result);

    // Exactly the measured size, so AddressSanitizer sees any write past it.
    std::vector<std::uint16_t> out(measured / 2);
    std::uint32_t length = 0;
    const std::uint32_t result = ConvertUtf8ToDoubleByte(text.data(), n, out.data(), &length);
    const reference::Units want = reference::DecodeUtf8(text, false);
    fuzz::Check(result == want.result && length == want.length && length <= measured);
    out.resize(length / 2);
    fuzz::Check(out == want.data);

    // The count of U+FFFD the file conversion reports, from the decoder it uses.
    std::vector<std::uint16_t> units(size);
    recodo::utf8::DecodeProgress progress;
    recodo::utf8::Decode<true>(text.data(), size, true, units.data(), progress);
    fuzz::Check(progress.substitutions == want.substitutions && progress.units * 2 == want.length);
  });
  return 0;
}
