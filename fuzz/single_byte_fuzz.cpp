// Both single-byte codecs, the set and capacity taken from the input.
#include "engine/engine.h"
#include "fuzz_input.h"
#include "recodo/recodo.h"
#include "reference/reference_codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  fuzz::AtEveryLevel([&] {
    const int set = data[0] % 49;
    const std::uint32_t room = data[1];
    const std::vector<std::uint8_t> bytes(data + 2, data + size);
    const auto n = static_cast<std::uint32_t>(bytes.size());

    const std::uint32_t capacity = room == 0 ? n * 2 : room;
    // One unit more than the capacity: a buffer is never null, whatever its room.
    std::vector<std::uint16_t> units(capacity / 2 + 1);
    std::uint32_t length = capacity;
    const std::uint32_t result = ConvertSingleByteToDoubleByte(set, bytes.data(), n, units.data(), &length);
    const reference::Units want = reference::DecodeSingleByte(set, bytes, capacity);
    fuzz::Check(result == want.result && length == want.length);
    units.resize(want.data.size());
    fuzz::Check(units == want.data);

    // Straight into UTF-8: the decoded text encoded, in a buffer of exactly
    // the room it may write.
    if (recodo::engine::DecodesToWholeCharacters(set)) {
      recodo::engine::Utf8Forms forms;
      recodo::engine::MakeUtf8Forms(set, &forms);
      std::vector<std::uint8_t> expanded(3 * bytes.size() + 1);
      bool lost = false;
      expanded.resize(recodo::engine::ExpandToUtf8(forms, bytes, expanded.data(), &lost));
      const reference::Units all = reference::DecodeSingleByte(set, bytes, n * 2);
      std::vector<std::uint8_t> wantUtf8(3 * all.data.size() + 1);
      wantUtf8.resize(recodo::engine::EncodeUtf8(all.data, wantUtf8.data()));
      fuzz::Check(expanded == wantUtf8);
    }

    const std::vector<std::uint16_t> text = fuzz::AsUnits(data + 2, size - 2);
    const std::uint32_t bytesRoom = room == 0 ? static_cast<std::uint32_t>(text.size()) : room;
    std::vector<std::uint8_t> encoded(bytesRoom + 1);
    std::uint32_t encodedLength = bytesRoom;
    const std::uint32_t encodedResult = ConvertDoubleByteToSingleByte(
        set, text.data(), static_cast<std::uint32_t>(text.size() * 2), encoded.data(), &encodedLength);
    const reference::Bytes wantEncoded = reference::EncodeSingleByte(set, text, bytesRoom);
    fuzz::Check(encodedResult == wantEncoded.result);
    encoded.resize(wantEncoded.data.size());
    fuzz::Check(encoded == wantEncoded.data);
  });
  return 0;
}
