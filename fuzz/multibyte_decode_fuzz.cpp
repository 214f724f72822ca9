// A decoder of the longer sets, chosen by RECODO_FUZZ_SET: the size pass
// against the conversion, pieces cut where the input says against the
// whole, and the text decoded, encoded and decoded again.
#include <algorithm>
#include <vector>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "recodo/recodo.h"

namespace {

constexpr recodo::CharsetCode kSet = RECODO_FUZZ_SET;

std::vector<std::uint16_t> DecodeInPieces(const std::uint8_t* data, std::size_t size, std::size_t step) {
  std::vector<std::uint16_t> out, units(size + 1);
  recodo::engine::TextDecoding progress;
  std::size_t pos = 0;
  do {
    const std::size_t length = std::min(step, size - pos);
    const bool last = pos + length == size;
    recodo::engine::DecodeMultiByte(kSet, {data + pos, length}, last, units.data(), &progress);
    fuzz::Check(progress.units <= length && progress.consumed <= length && (last ? progress.consumed == length : true));
    out.insert(out.end(), units.begin(), units.begin() + progress.units);
    pos += progress.consumed;
    // A piece too short for one sequence is given a longer one.
    if (progress.consumed == 0 && !last) step = std::max<std::size_t>(step * 2, 4);
  } while (pos < size);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t step = size == 0 ? 1 : 1 + data[0] % 7;
  fuzz::AtOneLevel(size < 2 ? 0 : data[1], [&] {
    const auto n = static_cast<std::uint32_t>(size);
    std::uint32_t measured = 0;
    fuzz::Check(ConvertMultiByteToDoubleByte(kSet, data, n, nullptr, &measured) == RECODO_CONV_OK);
    // Exactly the measured size, so AddressSanitizer sees any write past it.
    std::vector<std::uint16_t> whole(measured / 2);
    std::uint32_t length = measured;
    const std::uint32_t result =
        measured == 0 ? RECODO_CONV_OK : ConvertMultiByteToDoubleByte(kSet, data, n, whole.data(), &length);
    fuzz::Check((result == RECODO_CONV_OK || result == RECODO_CONV_INVALID_DATA) && length <= measured);
    whole.resize(length / 2);
    fuzz::Check(DecodeInPieces(data, size, step) == whole);
    // A capacity short of the size writes what fits and says so.
    if (length >= 4) {
      std::vector<std::uint16_t> part(length / 4);
      std::uint32_t partLength = static_cast<std::uint32_t>(part.size() * 2);
      fuzz::Check(ConvertMultiByteToDoubleByte(kSet, data, n, part.data(), &partLength) ==
                  RECODO_CONV_BUFFER_TOO_SMALL);
      fuzz::Check(partLength <= part.size() * 2 &&
                  std::equal(part.begin(), part.begin() + partLength / 2, whole.begin()));
    }

    // What decodes cleanly encodes back to bytes that decode to it again;
    // ISO-2022-JP alone reads more than it writes (half-width katakana,
    // JIS X 0212), and says so.
    if (result != RECODO_CONV_OK || whole.empty()) return;
    std::uint32_t encodedLength = 0;
    const auto units = static_cast<std::uint32_t>(whole.size() * 2);
    fuzz::Check(ConvertDoubleByteToMultiByte(kSet, whole.data(), units, nullptr, &encodedLength) == RECODO_CONV_OK);
    std::vector<std::uint8_t> encoded(encodedLength);
    const std::uint32_t encodeResult =
        ConvertDoubleByteToMultiByte(kSet, whole.data(), units, encoded.data(), &encodedLength);
    fuzz::Check(encodeResult == RECODO_CONV_OK || (kSet == RECODO_CHARSET_ISO_2022_JP &&
                                                   encodeResult == RECODO_CONV_INVALID_DATA));
    if (encodeResult != RECODO_CONV_OK) return;
    std::uint32_t againLength = 0;
    ConvertMultiByteToDoubleByte(kSet, encoded.data(), encodedLength, nullptr, &againLength);
    std::vector<std::uint16_t> again(againLength / 2);
    fuzz::Check(againLength == 0 || ConvertMultiByteToDoubleByte(kSet, encoded.data(), encodedLength, again.data(),
                                                                  &againLength) == RECODO_CONV_OK);
    again.resize(againLength / 2);
    fuzz::Check(again == whole);
  });
  return 0;
}
