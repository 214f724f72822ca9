#include "text_pipeline.h"

#include <cstring>

#include "engine/surrogates.h"
#include "engine/utf8_decoder.h"
#include "recodo/recodo.h"

namespace recodo {
namespace {

constexpr std::uint16_t kByteOrderMark = 0xFEFF;
constexpr std::uint16_t kCR = 0x000D;
constexpr std::uint16_t kQuestionMark = 0x003F;
constexpr std::uint16_t kUndefined = 0xFFFF;  // what the single-byte decoder writes
constexpr std::uint16_t kReplacement = 0xFFFD;

bool IsUtf16(CharsetCode code) { return code == CharsetUtf16 || code == CharsetUtf16BE; }

// Surrogates without their other half, which no encoder can carry.
std::uint64_t UnpairedSurrogates(const std::uint16_t* units, std::size_t count) {
  bool any = false;
  for (std::size_t i = 0; i < count; ++i) any |= IsSurrogate(units[i]);
  if (!any) return 0;
  std::uint64_t unpaired = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (IsHighSurrogate(units[i]) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
      ++i;
    } else if (IsSurrogate(units[i])) {
      ++unpaired;
    }
  }
  return unpaired;
}

}  // namespace

void TextPipeline::Start(const PipelineOptions& options) {
  options_ = options;
  started_ = false;
  markLooked_ = false;
  carryCount_ = 0;
  outputLength_ = 0;
  losses_ = 0;
  declarations_.Start(options.destinationName, options.rewriteXml, options.rewriteHtml);
  decodesToNul_ = false;
  if (IsSingleByteCharset(options.source)) {
    std::uint8_t upper[128];
    std::uint16_t decoded[128];
    for (int i = 0; i < 128; ++i) upper[i] = static_cast<std::uint8_t>(0x80 + i);
    std::uint32_t capacity = sizeof decoded;
    ConvertSingleByteToDoubleByte(options.source, upper, 128, decoded, &capacity);
    for (int i = 0; i < 128; ++i) {
      lossyUpper_[i] = decoded[i] == kUndefined || decoded[i] == 0;
      decodesToNul_ |= decoded[i] == 0;
    }
  }
}

std::uint64_t TextPipeline::SingleByteLosses(const std::uint8_t* bytes, std::size_t length) const {
  std::uint64_t lost = 0;
  for (std::size_t i = 0; i < length; ++i) lost += bytes[i] >= 0x80 && lossyUpper_[bytes[i] - 0x80];
  return lost;
}

std::uint64_t TextPipeline::EncodingLosses(const std::uint16_t* units, std::size_t count,
                                           const std::uint8_t* out) const {
  const CharsetCode destination = options_.destination;
  if (destination == CharsetUtf8) return IsUtf16(options_.source) ? UnpairedSurrogates(units, count) : 0;
  if (!IsSingleByteCharset(destination)) return 0;
  // Every character the set lacks becomes '?'; most texts have none.
  std::size_t marksOut = 0, marksIn = 0;
  for (std::size_t i = 0; i < count; ++i) marksOut += out[i] == '?';
  for (std::size_t i = 0; i < count; ++i) marksIn += units[i] == kQuestionMark;
  if (marksOut == marksIn) return 0;
  std::uint64_t lost = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t unit = units[i];
    // U+FFFD and U+FFFF stand for characters the decoder already counted.
    if (out[i] != '?' || unit == kQuestionMark || unit == kReplacement || unit == kUndefined) continue;
    ++lost;
    if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(units[i + 1])) ++i;  // one character, two marks
  }
  return lost;
}

std::size_t TextPipeline::Decode(const std::uint8_t* bytes, std::size_t length, bool last, std::uint16_t* units,
                                 std::size_t* taken) {
  const CharsetCode source = options_.source;
  if (IsSingleByteCharset(source)) {
    std::uint32_t capacity = static_cast<std::uint32_t>(length * 2);
    if (length != 0) {
      const ConvResult result =
          ConvertSingleByteToDoubleByte(source, bytes, static_cast<std::uint32_t>(length), units, &capacity);
      if (result == ConvInvalidData || decodesToNul_) losses_ += SingleByteLosses(bytes, length);
    }
    *taken = length;
    return length;
  }
  if (IsUtf16(source)) {
    // A last odd byte forms no unit and is dropped.
    const std::size_t even = length & ~std::size_t(1);
    if (last && even != length) ++losses_;
    if (even != 0) std::memcpy(units, bytes, even);
    if (source == CharsetUtf16BE && even != 0) TransformEndianess(units, static_cast<std::uint32_t>(even));
    *taken = last ? length : even;
    return even / 2;
  }
  // A piece that is not the last stops before a character it cuts off.
  utf8::DecodeProgress progress;
  utf8::Decode<true>(bytes, length, last, units, progress);
  losses_ += progress.substitutions;
  *taken = progress.consumed;
  return progress.units;
}

std::size_t TextPipeline::Encode(const std::uint16_t* units, std::size_t count, std::uint8_t* out) {
  if (count == 0) return 0;
  const CharsetCode destination = options_.destination;
  const auto bytes = static_cast<std::uint32_t>(count * 2);
  if (IsSingleByteCharset(destination)) {
    std::uint32_t capacity = static_cast<std::uint32_t>(count);
    ConvertDoubleByteToSingleByte(destination, units, bytes, out, &capacity);
    return count;
  }
  if (destination == CharsetUtf8) {
    // No unit takes more than 3 bytes, but the encoder asks for 4 of room
    // before any surrogate: one spare byte lets a lone one in the last unit through.
    std::uint32_t capacity = static_cast<std::uint32_t>(count * 3 + 1);
    ConvertDoubleByteToUtf8(units, bytes, out, &capacity);
    return capacity;
  }
  std::memcpy(out, units, bytes);
  if (destination == CharsetUtf16BE) TransformEndianess(reinterpret_cast<std::uint16_t*>(out), bytes);
  return bytes;
}

bool TextPipeline::Convert(const std::uint8_t* bytes, std::size_t length, bool last, std::size_t* taken) {
  outputLength_ = 0;
  lineBreaksFailed_ = false;
  declarationsFailed_ = false;
  // Units carried over come first; no piece yields more units than bytes.
  if (!decoded_.Reserve(carryCount_ + length + 1)) return false;
  std::uint16_t* text = decoded_.data();
  std::copy(carry_, carry_ + carryCount_, text);
  std::size_t count = carryCount_ + Decode(bytes, length, last, text + carryCount_, taken);
  carryCount_ = 0;

  if (options_.rewriteLineBreaks) {
    // A CR at the end may be the first half of CR LF.
    std::uint16_t heldCR = 0;
    if (!last && count != 0 && text[count - 1] == kCR) heldCR = text[--count];
    const bool mayGrow = options_.lineBreakType == RECODO_NEWLINE_DOS;
    if (!rewritten_.Reserve((mayGrow ? 2 * count : count) + 1)) {
      lineBreaksFailed_ = true;
      return false;
    }
    std::uint32_t newLength = 0;
    TransformNewLineCharacter(options_.lineBreakType, text, static_cast<std::uint32_t>(count * 2), rewritten_.data(),
                              &newLength);
    text = rewritten_.data();
    count = newLength / 2;
    if (heldCR != 0) carry_[carryCount_++] = heldCR;
  }

  // Only the very first unit of the text can be a mark to drop.
  if (!markLooked_ && count != 0) {
    markLooked_ = true;
    if (text[0] == kByteOrderMark) {
      ++text;
      --count;
    }
  }

  if (declarations_.active()) {
    if (!declarations_.Process(text, count, last)) {
      declarationsFailed_ = true;
      return false;
    }
    text = declarations_.output();
    count = declarations_.outputLength();
  }

  // The two halves of a pair are encoded together. A held high surrogate
  // goes before a held CR: it came before it in the text, and the line-break
  // rewrite leaves it alone when it passes through again.
  // (Only UTF-16 takes a half alone.)
  if (!last && count != 0 && IsHighSurrogate(text[count - 1]) && !IsUtf16(options_.destination)) {
    if (carryCount_ != 0) carry_[1] = carry_[0];
    carry_[0] = text[--count];
    ++carryCount_;
  }

  if (!output_.Reserve(3 * count + 4)) return false;  // a mark, and the encoder's capacity
  std::uint8_t* out = output_.data();
  if (!started_) {
    started_ = true;
    if (options_.writeBom) {
      static constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
      static constexpr std::uint8_t kUtf16Mark[] = {0xFF, 0xFE};
      static constexpr std::uint8_t kUtf16BEMark[] = {0xFE, 0xFF};
      const CharsetCode d = options_.destination;
      const std::uint8_t* mark = d == CharsetUtf8 ? kUtf8Mark : d == CharsetUtf16 ? kUtf16Mark : kUtf16BEMark;
      const std::size_t markLength = d == CharsetUtf8 ? 3 : d == CharsetUtf16 || d == CharsetUtf16BE ? 2 : 0;
      std::memcpy(out, mark, markLength);
      outputLength_ = markLength;
    }
  }
  const std::size_t encoded = Encode(text, count, out + outputLength_);
  losses_ += EncodingLosses(text, count, out + outputLength_);
  outputLength_ += encoded;
  return true;
}

}  // namespace recodo
