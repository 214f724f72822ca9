#include "text_pipeline.h"

#include <algorithm>
#include <cstring>

#include "base/surrogates.h"
#include "engine/engine.h"

namespace recodo {
namespace {

constexpr std::uint16_t kByteOrderMark = 0xFEFF;
constexpr std::uint16_t kCR = 0x000D;
constexpr std::uint16_t kUndefined = 0xFFFF;  // what the single-byte decoder writes
// The bytes a straight conversion decodes at a time: their units stay in the
// nearest cache until they are encoded.
constexpr std::size_t kStraightChunk = 8192;

bool IsUtf16(CharsetCode code) { return IsUtf16Charset(code); }

// Surrogates without their other half, which no encoder can carry. Most
// texts have none: a unit-by-unit look cost a third of a UTF-16 to UTF-8
// conversion, the kernels' search next to nothing.
std::uint64_t UnpairedSurrogates(const std::uint16_t* units, std::size_t count) {
  if (!engine::AnySurrogate({units, count})) return 0;
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

// CR LF, a lone CR and a lone LF are one line break each. A CR that ends a
// piece that is not the last was carried to the next one, so no pair is
// ever cut here.
std::uint64_t CountLineBreaks(const std::uint16_t* units, std::size_t count) {
  std::uint64_t breaks = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (units[i] == 0x000A) ++breaks;
    else if (units[i] == kCR && (i + 1 == count || units[i + 1] != 0x000A)) ++breaks;
  }
  return breaks;
}

}  // namespace

void TextPipeline::Start(const PipelineOptions& options) {
  options_ = options;
  started_ = false;
  markLooked_ = false;
  carriedCR_ = 0;
  heldHigh_ = 0;
  losses_ = 0;
  lineBreaksRemoved_ = 0;
  declarations_.Start(options.destinationName, options.rewriteXml, options.rewriteHtml);
  decodesToNul_ = false;
  standInsPending_ = 0;
  multiDecoding_ = {};
  multiEncoding_ = {};
  straight_ = Straight::None;
  if (options.straight && !options.rewriteLineBreaks && !declarations_.active()) {
    const CharsetCode from = options.source, to = options.destination;
    if (to == CharsetUtf8 && engine::DecodesToWholeCharacters(from)) {
      straight_ = Straight::SingleByteToUtf8;
      engine::MakeUtf8Forms(from, &utf8Forms_);
    } else if (from == CharsetUtf8 && to == CharsetUtf8) straight_ = Straight::Utf8ToUtf8;
    else if (from == CharsetUtf8 && IsAnySingleByteCharset(to)) straight_ = Straight::Utf8ToSingleByte;
    else if (from == CharsetUtf8 && IsUtf16(to)) straight_ = Straight::Utf8ToUtf16;
  }
  undefinedMark_ = IsAnySingleByteCharset(options.destination) ? engine::UndefinedMark(options.destination) : '?';
  if (IsAnySingleByteCharset(options.source)) {
    std::uint8_t upper[128];
    std::uint16_t decoded[128];
    for (int i = 0; i < 128; ++i) upper[i] = static_cast<std::uint8_t>(0x80 + i);
    engine::DecodeSingleByte(options.source, upper, decoded);
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

std::uint64_t TextPipeline::EncodingLosses(const std::uint16_t* units, std::size_t count, const std::uint8_t* out,
                                           std::uint64_t* standIns) const {
  const CharsetCode destination = options_.destination;
  if (destination == CharsetUtf8) return IsUtf16(options_.source) ? UnpairedSurrogates(units, count) : 0;
  if (!IsAnySingleByteCharset(destination)) return 0;  // the other encoders count their own
  const engine::MarkedLosses marked = engine::CountMarkedLosses({units, count}, out, undefinedMark_);
  *standIns += marked.standIns;
  return marked.lost;
}

std::size_t TextPipeline::Decode(const std::uint8_t* bytes, std::size_t length, bool last, std::uint16_t* units,
                                 std::size_t* taken) {
  const CharsetCode source = options_.source;
  if (IsAnySingleByteCharset(source)) {
    const bool undefinedSeen = engine::DecodeSingleByte(source, {bytes, length}, units);
    if (undefinedSeen || decodesToNul_) CountDecoded(SingleByteLosses(bytes, length));
    *taken = length;
    return length;
  }
  if (IsUtf16(source)) {
    std::size_t count = 0;
    Utf16InPlace(bytes, length, last, &count, taken);
    if (count != 0) std::memcpy(units, bytes, 2 * count);
    if (source == CharsetUtf16BE) engine::SwapBytes({units, count});
    return count;
  }
  if (engine::IsMultiByteSet(source)) {
    const std::uint64_t before = multiDecoding_.substitutions;
    engine::DecodeMultiByte(source, {bytes, length}, last, units, &multiDecoding_);
    CountDecoded(multiDecoding_.substitutions - before);
    *taken = multiDecoding_.consumed;
    return multiDecoding_.units;
  }
  // A piece that is not the last stops before a character it cuts off.
  engine::Utf8Decoding progress;
  engine::DecodeUtf8({bytes, length}, last, units, &progress);
  CountDecoded(progress.substitutions);
  RecodesToItself(bytes, progress.consumed, units, progress.units, progress.substitutions != 0);
  *taken = progress.consumed;
  return progress.units;
}

std::size_t TextPipeline::Encode(const std::uint16_t* units, std::size_t count, std::uint8_t* out) {
  if (count == 0) return 0;
  const CharsetCode destination = options_.destination;
  if (IsAnySingleByteCharset(destination)) {
    engine::EncodeSingleByte(destination, {units, count}, out);
    return count;
  }
  if (engine::IsMultiByteSet(destination)) {
    const std::uint64_t lostBefore = multiEncoding_.losses, standInsBefore = multiEncoding_.standIns;
    const std::size_t written = engine::EncodeMultiByte(destination, {units, count}, out, &multiEncoding_);
    losses_ += multiEncoding_.losses - lostBefore;
    CountStandIns(multiEncoding_.standIns - standInsBefore);
    return written;
  }
  // No unit takes more than 3 bytes: the output buffer holds the text.
  if (destination == CharsetUtf8) return engine::EncodeUtf8({units, count}, out);
  std::memcpy(out, units, count * 2);
  if (destination == CharsetUtf16BE) engine::SwapBytes({reinterpret_cast<std::uint16_t*>(out), count});
  return count * 2;
}

// The units of a UTF-16 piece as they lie in it. A last odd byte forms no
// unit and is dropped.
const std::uint16_t* TextPipeline::Utf16InPlace(const std::uint8_t* bytes, std::size_t length, bool last,
                                                std::size_t* count, std::size_t* taken) {
  const std::size_t even = length & ~std::size_t(1);
  if (last && even != length) ++losses_;
  *count = even / 2;
  *taken = last ? length : even;
  // The piece's bytes were made as bytes: its storage holds units too.
  return reinterpret_cast<const std::uint16_t*>(bytes);
}

void TextPipeline::CountDecoded(std::uint64_t substitutions) {
  losses_ += substitutions;
  standInsPending_ += substitutions;
}

// A U+FFFD or U+FFFF written as '?' is the decoder's stand-in, counted
// already, as long as the decoder made that many; past them it was a
// character of the text, and lost here.
void TextPipeline::CountStandIns(std::uint64_t marks) {
  const std::uint64_t counted = std::min(marks, standInsPending_);
  standInsPending_ -= counted;
  losses_ += marks - counted;
}

bool TextPipeline::Convert(const std::uint8_t* bytes, std::size_t length, bool last, std::size_t* taken,
                           ByteSink& sink) {
  sink_ = &sink;
  lineBreaksFailed_ = false;
  declarationsFailed_ = false;
  writeFailed_ = false;
  if (straight_ != Straight::None) return ConvertStraight(bytes, length, last, taken) && Finish(last);
  const std::uint16_t* text = nullptr;
  std::size_t count = 0;
  // Little-endian UTF-16 is encoded from the piece itself where its units
  // lie aligned, with no copy; no CR is carried without the line-break step.
  const bool inPlace = options_.straight && options_.source == CharsetUtf16 && !options_.rewriteLineBreaks &&
                       reinterpret_cast<std::uintptr_t>(bytes) % alignof(std::uint16_t) == 0;
  if (inPlace) {
    text = Utf16InPlace(bytes, length, last, &count, taken);
  } else {
    // A carried CR comes first; no piece yields more units than bytes.
    if (!decoded_.Reserve(length + 2)) return false;
    std::uint16_t* units = decoded_.data();
    const std::size_t carried = carriedCR_ != 0 ? 1 : 0;
    units[0] = carriedCR_;
    count = carried + Decode(bytes, length, last, units + carried, taken);
    text = units;
  }
  carriedCR_ = 0;

  if (options_.rewriteLineBreaks) {
    // A CR at the end may be the first half of CR LF.
    if (!last && count != 0 && text[count - 1] == kCR) carriedCR_ = text[--count];
    const bool removes = options_.lineBreakType < engine::kLineBreakCrLf || options_.lineBreakType > engine::kLineBreakCr;
    if (removes) lineBreaksRemoved_ += CountLineBreaks(text, count);
    const bool mayGrow = options_.lineBreakType == engine::kLineBreakCrLf;
    if (!rewritten_.Reserve((mayGrow ? 2 * count : count) + 1)) {
      lineBreaksFailed_ = true;
      return false;
    }
    count = engine::RewriteLineBreaks(options_.lineBreakType, {text, count}, rewritten_.data());
    text = rewritten_.data();
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
    if (!declarations_.Process(text, count, last, *this)) {
      declarationsFailed_ = !writeFailed_ && declarations_.spillError() == 0;
      return false;
    }
  } else if (!Take(text, count)) {
    return false;
  }
  return Finish(last);
}

bool TextPipeline::Finish(bool last) {
  // A high surrogate at the very end has no other half.
  if (last && heldHigh_ != 0) {
    const std::uint16_t high = heldHigh_;
    heldHigh_ = 0;
    if (!EncodeOut(&high, 1)) return false;
  }
  if (!last) return true;
  // Even an empty text gets its mark; a stateful set's text ends in ASCII.
  if (!started_ && !EncodeOut(nullptr, 0)) return false;
  std::uint8_t closing[engine::kMaxClosingBytes];
  const std::size_t closed = engine::FinishMultiByte(options_.destination, closing, &multiEncoding_);
  if (closed == 0 || sink_->Take(closing, closed)) return true;
  writeFailed_ = true;
  return false;
}

// The two halves of a pair are encoded together, wherever the units were
// cut. (Only UTF-16 takes a half alone.)
bool TextPipeline::Take(const std::uint16_t* units, std::size_t count) {
  if (count == 0) return true;
  if (heldHigh_ != 0) {
    const std::uint16_t pair[2] = {heldHigh_, units[0]};
    heldHigh_ = 0;
    const std::size_t both = IsLowSurrogate(units[0]) ? 2 : 1;
    if (!EncodeOut(pair, both)) return false;
    units += both - 1;
    count -= both - 1;
    if (count == 0) return true;
  }
  if (IsHighSurrogate(units[count - 1]) && !IsUtf16(options_.destination)) heldHigh_ = units[--count];
  return EncodeOut(units, count);
}

bool TextPipeline::EncodeOut(const std::uint16_t* units, std::size_t count) {
  if (count == 0 && started_) return true;
  // A mark, and the encoder's capacity.
  if (!output_.Reserve(std::max<std::size_t>(3, engine::MaxBytesPerUnit(options_.destination)) * count + 4))
    return false;
  std::uint8_t* out = output_.data();
  std::size_t length = WriteMark(out);
  length += EncodeCounted(units, count, out + length);
  if (length == 0 || sink_->Take(out, length)) return true;
  writeFailed_ = true;
  return false;
}

// The destination's byte order mark, ahead of the first output only.
std::size_t TextPipeline::WriteMark(std::uint8_t* out) {
  if (started_) return 0;
  started_ = true;
  if (!options_.writeBom) return 0;
  static constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
  static constexpr std::uint8_t kUtf16Mark[] = {0xFF, 0xFE};
  static constexpr std::uint8_t kUtf16BEMark[] = {0xFE, 0xFF};
  static constexpr std::uint8_t kUtf32Mark[] = {0xFF, 0xFE, 0x00, 0x00};
  static constexpr std::uint8_t kUtf32BEMark[] = {0x00, 0x00, 0xFE, 0xFF};
  const CharsetCode d = options_.destination;
  const std::uint8_t* mark = d == CharsetUtf8      ? kUtf8Mark
                             : d == CharsetUtf16   ? kUtf16Mark
                             : d == CharsetUtf32   ? kUtf32Mark
                             : d == CharsetUtf32BE ? kUtf32BEMark
                                                   : kUtf16BEMark;
  const std::size_t markLength = d == CharsetUtf8 ? 3 : IsUtf16(d) ? 2 : IsUtf32Charset(d) ? 4 : 0;
  std::memcpy(out, mark, markLength);
  return markLength;
}

// Whether decoded UTF-8 encodes back to the very bytes it came from; where
// it may not, its overlong forms, which decode to the value they spell, are
// counted as characters not carried exactly.
bool TextPipeline::RecodesToItself(const std::uint8_t* bytes, std::size_t took, const std::uint16_t* units,
                                   std::size_t count, bool substituted) {
  if (!substituted && engine::Utf8RecodesToItself({bytes, took}, {units, count})) return true;
  losses_ += engine::CountOverlongUtf8({bytes, took});
  return false;
}

// Encodes into `out` and counts what was lost on the way.
std::size_t TextPipeline::EncodeCounted(const std::uint16_t* units, std::size_t count, std::uint8_t* out) {
  const std::size_t encoded = Encode(units, count, out);
  std::uint64_t standIns = 0;
  losses_ += EncodingLosses(units, count, out, &standIns);
  CountStandIns(standIns);
  return encoded;
}

// Straight from bytes to bytes into the output buffer, handed on at once: a
// single-byte set's bytes expanded to their UTF-8 forms; UTF-8 a few KiB at
// a time through UTF-16 that stays in the processor's nearest cache, and
// copied instead where it decodes and encodes back to the very bytes it
// came from, or decoded right into the output when that is UTF-16.
bool TextPipeline::ConvertStraight(const std::uint8_t* bytes, std::size_t length, bool last, std::size_t* taken) {
  *taken = 0;
  const bool fromUtf8 = straight_ != Straight::SingleByteToUtf8;
  if (!markLooked_ && fromUtf8) {
    // A UTF-8 text's leading mark is dropped: the piece must hold it whole.
    if (length < 3 && !last) return true;
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
      bytes += 3;
      length -= 3;
      *taken = 3;
    }
  }
  markLooked_ = true;
  // Three bytes a byte at most, and a mark.
  if (!output_.Reserve(3 * length + 8) || !decoded_.Reserve(kStraightChunk)) return false;
  std::uint8_t* out = output_.data();
  std::uint16_t* units = decoded_.data();
  std::size_t written = WriteMark(out), pos = 0;
  if (!fromUtf8) {
    // Each byte expands to its UTF-8 form at once.
    bool lost = false;
    written += engine::ExpandToUtf8(utf8Forms_, {bytes, length}, out + written, &lost);
    if (lost) CountDecoded(SingleByteLosses(bytes, length));
    pos = length;
  }
  while (pos < length) {
    const std::size_t chunk = std::min(kStraightChunk, length - pos);
    const std::uint8_t* in = bytes + pos;
    // A chunk that ends inside the piece stops before a character it cuts,
    // as a piece does; the next one starts there.
    engine::Utf8Decoding progress;
    // UTF-16 is decoded where it goes: the output's storage holds units, and
    // the mark and whole units before keep them aligned.
    std::uint16_t* to = straight_ == Straight::Utf8ToUtf16 ? reinterpret_cast<std::uint16_t*>(out + written) : units;
    engine::DecodeUtf8({in, chunk}, last && pos + chunk == length, to, &progress);
    CountDecoded(progress.substitutions);
    const std::size_t count = progress.units, took = progress.consumed;
    if (took == 0) break;  // a character the piece's end cuts: it comes again
    const bool same = RecodesToItself(in, took, to, count, progress.substitutions != 0);
    if (straight_ == Straight::Utf8ToUtf16) {
      if (options_.destination == CharsetUtf16BE) engine::SwapBytes({to, count});
      written += 2 * count;
    } else if (straight_ == Straight::Utf8ToUtf8 && same) {
      std::memcpy(out + written, in, took);
      written += took;
    } else {
      written += EncodeCounted(units, count, out + written);
    }
    pos += took;
  }
  *taken += pos;
  if (written == 0 || sink_->Take(out, written)) return true;
  writeFailed_ = true;
  return false;
}

}  // namespace recodo
