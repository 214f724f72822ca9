// Decoding and encoding between the single-byte sets and UTF-16.
#include <algorithm>
#include <array>
#include <cstring>

#include "base/surrogates.h"
#include "engine/engine.h"
#include "kernels/dispatch.h"
#include "kernels/utf8_forms.h"
#include "recodo/recodo.h"
#include "single_byte_tables.h"

using namespace recodo;

namespace {

// What the kernels need of a set, gathered at the call: a constant table of
// these would hold pointers, which constant data had better not.
kernels::SingleByteSet SetFor(CharsetCode charset) {
  const int row = SingleByteTableRow(charset);
  const single_byte::LinearRun& run = single_byte::kLinearRuns[row];
  return {single_byte::kDecode[row].data(), single_byte::kReverse.pageOf[row], single_byte::kReverse.pages,
          single_byte::kAsciiIdentity[row], run.firstByte, run.firstUnit, run.length,
          &single_byte::kShuffleRows[row]};
}

}  // namespace

bool engine::DecodeSingleByte(CharsetCode set, std::span<const std::uint8_t> bytes, std::uint16_t* units) {
  return kernels::Active().singleDecode(SetFor(set), bytes.data(), bytes.size(), units);
}

bool engine::DecodesToWholeCharacters(CharsetCode set) {
  if (!IsAnySingleByteCharset(set)) return false;
  for (std::uint16_t unit : single_byte::kDecode[SingleByteTableRow(set)])
    if (unit == 0xFEFF || (unit >= 0xD800 && unit <= 0xDFFF)) return false;
  return true;
}

void engine::MakeUtf8Forms(CharsetCode set, Utf8Forms* forms) {
  const auto& decode = single_byte::kDecode[SingleByteTableRow(set)];
  forms->asciiItself = true;
  for (int byte = 0; byte < 256; ++byte) {
    const std::uint16_t unit = decode[byte];
    std::uint8_t bytes[4] = {};
    const std::size_t length = EncodeUtf8({&unit, 1}, bytes);
    std::uint32_t form = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(length) << 24;
    if (unit == UndefinedUnit || (byte >= 0x80 && unit == 0)) form |= kernels::kNotedForm;
    forms->form[byte] = form;
    if (byte < 0x80 && unit != byte) forms->asciiItself = false;
  }
}

std::size_t engine::ExpandToUtf8(const Utf8Forms& forms, std::span<const std::uint8_t> bytes, std::uint8_t* out,
                                 bool* lost) {
  std::uint32_t seen = 0;
  std::size_t written = 0;
  if (forms.asciiItself) {
    written = kernels::Active().singleToUtf8(forms.form, bytes.data(), bytes.size(), out, &seen);
  } else {
    for (std::uint8_t byte : bytes) {
      seen |= forms.form[byte];
      written += kernels::PutForm(forms.form[byte], out + written);
    }
  }
  *lost = (seen & kernels::kNotedForm) != 0;
  return written;
}

void engine::EncodeSingleByte(CharsetCode set, std::span<const std::uint16_t> units, std::uint8_t* bytes) {
  kernels::Active().singleEncode(SetFor(set), units.data(), units.size(), bytes);
}

std::uint8_t engine::UndefinedMark(CharsetCode set) {
  // Made once for every set: short calls ask it each time.
  static const auto marks = [] {
    std::array<std::uint8_t, SingleByteTableCount> made{};
    constexpr std::uint16_t kNoCharacter = 0xFFFF;
    for (int row = 0; row < SingleByteTableCount; ++row)
      EncodeSingleByte(SingleByteTableCode(row), {&kNoCharacter, 1}, &made[row]);
    return made;
  }();
  return marks[SingleByteTableRow(set)];
}

engine::MarkedLosses engine::CountMarkedLosses(std::span<const std::uint16_t> units, const std::uint8_t* bytes,
                                               std::uint8_t undefinedMark) {
  // Most texts have few '?' or none: the search skips the rest at the C
  // library's speed, where a look at every unit cost a third of a conversion.
  MarkedLosses marked;
  const std::size_t n = units.size();
  std::size_t i = 0;
  while (i < n) {
    const void* mark = std::memchr(bytes + i, '?', n - i);
    if (mark == nullptr) break;
    i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - bytes);
    const std::uint16_t unit = units[i++];
    if (unit == '?') continue;
    if (unit == 0xFFFD || unit == 0xFFFF) {
      ++marked.standIns;
      continue;
    }
    ++marked.lost;
    if (IsHighSurrogate(unit) && i < n && IsLowSurrogate(units[i])) ++i;  // one character, two marks
  }
  if (undefinedMark == '?') return marked;
  // Only U+FFFF becomes that byte, so the search meets little else.
  for (i = 0; i < n; ++i) {
    const void* mark = std::memchr(bytes + i, undefinedMark, n - i);
    if (mark == nullptr) break;
    i = static_cast<std::size_t>(static_cast<const std::uint8_t*>(mark) - bytes);
    marked.standIns += units[i] == 0xFFFF;
  }
  return marked;
}

extern "C" RECODO_API uint32_t ConvertSingleByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                             uint16_t* dst, uint32_t* dstLength) {
  // A set outside the catalogue has no size either.
  if (dstLength == nullptr || !IsSingleByteCharset(charset) || (src == nullptr && srcLength != 0))
    return ConvInvalidData;
  if (*dstLength == 0) {
    // Past 2 GiB of input the size is answered with the largest even one;
    // the conversion then stops at the capacity and says so.
    *dstLength = srcLength > 0x7FFFFFFFu ? 0xFFFFFFFEu : srcLength * 2;
    return ConvOk;
  }
  if (dst == nullptr) return ConvInvalidData;

  // A unit is written only when it fits whole.
  const std::size_t fits = *dstLength / 2;
  const std::size_t n = std::min<std::size_t>(srcLength, fits);
  const bool undefinedSeen = engine::DecodeSingleByte(charset, {src, n}, dst);
  if (n < srcLength) return ConvBufferTooSmall;
  return undefinedSeen ? ConvInvalidData : ConvOk;
}

extern "C" RECODO_API uint32_t ConvertDoubleByteToSingleByte(int32_t charset, const uint16_t* src, uint32_t srcLength,
                                                             uint8_t* dst, uint32_t* dstLength) {
  if (dstLength == nullptr || !IsSingleByteCharset(charset) || (src == nullptr && srcLength > 1))
    return ConvInvalidData;
  if (dst == nullptr) {
    *dstLength = srcLength / 2;
    return ConvOk;
  }

  const std::size_t units = srcLength / 2;
  const std::size_t n = std::min<std::size_t>(units, *dstLength);
  engine::EncodeSingleByte(charset, {src, n}, dst);
  return n < units ? ConvBufferTooSmall : ConvOk;
}
