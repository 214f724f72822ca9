// UTF-32 and the East Asian sets behind one interface for the converter.
#include "base/surrogates.h"
#include "double_byte_codec.h"
#include "engine/engine.h"
#include "iso2022jp_codec.h"
#include "utf32_codec.h"

namespace recodo::engine {
namespace {

multibyte::TableIndex TableOf(CharsetCode set) {
  switch (set) {
    case CharsetShiftJis: return multibyte::kShiftJis;
    case CharsetEucJp: return multibyte::kEucJp;
    case CharsetGbk: return multibyte::kGbk;
    case CharsetGb18030: return multibyte::kGb18030;
    case CharsetBig5: return multibyte::kBig5;
    default: return multibyte::kEucKr;
  }
}

}  // namespace

bool IsMultiByteSet(CharsetCode set) { return IsUtf32Charset(set) || IsEastAsianCharset(set); }

void DecodeMultiByte(CharsetCode set, std::span<const std::uint8_t> bytes, bool last, std::uint16_t* units,
                     TextDecoding* progress) {
  const std::uint8_t* s = bytes.data();
  const std::size_t n = bytes.size();
  if (IsUtf32Charset(set)) {
    progress->units = utf32::Decode(set == CharsetUtf32BE, s, n, last, units, &progress->consumed,
                                    &progress->substitutions);
  } else if (set == CharsetIso2022Jp) {
    progress->units = iso2022jp::Decode(s, n, last, units, &progress->state, &progress->consumed,
                                        &progress->substitutions);
  } else {
    progress->units = multibyte::Decode(TableOf(set), s, n, last, units, &progress->consumed,
                                        &progress->substitutions);
  }
}

std::size_t MaxBytesPerUnit(CharsetCode set) {
  if (IsAnySingleByteCharset(set)) return 1;
  if (IsUtf16Charset(set)) return 2;
  if (set == CharsetUtf8) return 3;
  if (set == CharsetIso2022Jp) return 5;
  if (IsUtf32Charset(set) || set == CharsetGb18030) return 4;
  return set == CharsetEucJp ? 3 : 2;  // EUC-JP's JIS X 0212 takes three
}

std::size_t EncodeMultiByte(CharsetCode set, std::span<const std::uint16_t> units, std::uint8_t* bytes,
                            TextEncoding* progress) {
  if (IsUtf32Charset(set)) return utf32::Encode(set == CharsetUtf32BE, units.data(), units.size(), bytes, &progress->losses);
  if (set == CharsetIso2022Jp)
    return iso2022jp::Encode(units.data(), units.size(), bytes, &progress->state, &progress->losses,
                             &progress->standIns);
  return multibyte::Encode(TableOf(set), units.data(), units.size(), bytes, &progress->losses, &progress->standIns);
}

std::size_t FinishMultiByte(CharsetCode set, std::uint8_t* bytes, TextEncoding* progress) {
  return set == CharsetIso2022Jp ? iso2022jp::Finish(bytes, &progress->state) : 0;
}

}  // namespace recodo::engine
