#include "detector.h"

#include <cstring>

#include "codepage_tables.generated.h"
#include "engine/engine.h"

namespace recodo {
namespace {

// The first set that defines every upper byte: no text can rule it out, so
// only the sets before it need the upper bytes a text holds. With the shipped
// tables that is ISO-8859-1, the very first, and no byte needs recording.
constexpr CharsetCode FirstTotalSet() {
  for (CharsetCode set = 0; set < CharsetCount; ++set) {
    bool total = true;
    for (std::uint16_t unit : CodePageTable[set]) total = total && unit != UndefinedUnit;
    if (total) return set;
  }
  return CharsetCount;
}

constexpr CharsetCode kFirstTotalSet = FirstTotalSet();

}  // namespace

void Detector::MeasureUtf8(const std::uint8_t* data, std::size_t length) {
  if (pendingLength_ != 0) {
    // Finish the cut character first: at most 6 bytes make one form.
    std::uint8_t joined[16];
    const std::size_t take = length < 8 ? length : 8;
    std::memcpy(joined, pending_, pendingLength_);
    std::memcpy(joined + pendingLength_, data, take);
    utf8::Decode<false>(joined, pendingLength_ + take, false, nullptr, utf8_);
    if (utf8_.consumed < pendingLength_) {  // still cut: all of data was joined
      const std::size_t left = pendingLength_ + take - utf8_.consumed;
      std::memmove(pending_, joined + utf8_.consumed, left);
      pendingLength_ = left;
      return;
    }
    const std::size_t skip = utf8_.consumed - pendingLength_;
    pendingLength_ = 0;
    data += skip;
    length -= skip;
  }
  utf8::Decode<false>(data, length, false, nullptr, utf8_);
  pendingLength_ = length - utf8_.consumed;
  std::memcpy(pending_, data + utf8_.consumed, pendingLength_);
}

void Detector::Feed(const std::uint8_t* data, std::size_t length) {
  if (length == 0) return;  // an empty piece may come with a null pointer
  for (std::size_t i = 0; i < length && total_ + i < 3; ++i) head_[total_ + i] = data[i];
  total_ += length;
  MeasureUtf8(data, length);
  if (strictUtf8_ && !refusedForm_) refusedForm_ = engine::HasRefusedUtf8Form(last_, {data, length});
  last_ = data[length - 1];
  if (!upper_) upper_ = engine::AsciiPrefix({data, length}) != length;
  if (watchControls_ && !controls_) {
    bool found = false;
    for (std::size_t i = 0; i < length; ++i) found |= (data[i] & 0xE0) == 0x80;
    controls_ = found;
  }
  if (kFirstTotalSet == 0) return;
  std::size_t i = 0;
  while (i < length) {
    i += engine::AsciiPrefix({data + i, length - i});
    const std::size_t end = i + 16 < length ? i + 16 : length;
    for (; i < end; ++i)
      if (data[i] >= 0x80) seen_[data[i] - 0x80] = true;
  }
}

CharsetCode Detector::FirstFittingSet() const {
  for (CharsetCode set = 0; set < kFirstTotalSet; ++set) {
    bool fits = true;
    for (int b = 0; b < 128 && fits; ++b) fits = !seen_[b] || CodePageTable[set][b] != UndefinedUnit;
    if (fits) return set;
  }
  return kFirstTotalSet;
}

bool Detector::Decided() const {
  if (total_ < 3) return false;
  const bool markOrZeros = (head_[0] == 0xFE && head_[1] == 0xFF) || (head_[0] == 0xFF && head_[1] == 0xFE) ||
                           (head_[0] == 0xEF && head_[1] == 0xBB && head_[2] == 0xBF) ||
                           ((head_[0] == 0) != (head_[1] == 0));
  if (markOrZeros) return true;
  // After an error the UTF-8 result can never again be exactly "multi-byte
  // seen"; then only the byte tables decide, and a set that defines every
  // byte cannot be ruled out by more text.
  if ((utf8_.result & 0x80000000u) == 0 && !refusedForm_) return false;
  // An ISO-8859-1 answer may still turn into Windows-1252.
  if (watchControls_ && !controls_) return false;
  return FirstFittingSet() >= kFirstTotalSet;
}

CharsetCode Detector::Finish() {
  if (total_ < 3) return 0;
  if (head_[0] == 0xFE && head_[1] == 0xFF) return CharsetUtf16BE;
  if (head_[0] == 0xFF && head_[1] == 0xFE) return CharsetUtf16;
  if (head_[0] == 0xEF && head_[1] == 0xBB && head_[2] == 0xBF) return CharsetUtf8;
  if (head_[0] != 0 && head_[1] == 0) return CharsetUtf16;
  if (head_[0] == 0 && head_[1] != 0) return CharsetUtf16BE;
  if (pendingLength_ != 0) {
    utf8::Decode<false>(pending_, pendingLength_, true, nullptr, utf8_);
    pendingLength_ = 0;
  }
  if ((utf8_.result & 0x8000FFFFu) == 0 && (utf8_.result & ConvMultiByteSeen) != 0 && !refusedForm_)
    return CharsetUtf8;
  return FirstFittingSet();
}

}  // namespace recodo
