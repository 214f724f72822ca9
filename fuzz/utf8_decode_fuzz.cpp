// UTF-8 decoding, converting and measuring pass, against the reference.
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
  return 0;
}
