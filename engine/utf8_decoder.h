// The UTF-8 decoder shared by the exported converter and by detection.
// It can run over a text in pieces: a piece that is not the last stops
// before a lead byte whose form may continue in the next piece.
#pragma once

#include <cstddef>
#include <cstdint>

#include "charset_codes.h"
#include "kernels/dispatch.h"
#include "surrogates.h"

namespace recodo::utf8 {

struct DecodeProgress {
  std::size_t consumed = 0;  // bytes of the piece taken
  std::size_t units = 0;     // units written (or counted) so far, all pieces
  ConvResult result = ConvOk;
  // U+FFFD written for malformed input so far (the writing pass only): the
  // file conversion reports them as characters it could not carry over.
  std::size_t substitutions = 0;
};

inline bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Length of the form a lead byte 0xC0..0xFD introduces.
inline std::size_t FormLength(std::uint8_t lead) {
  return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : lead < 0xFC ? 5 : 6;
}

// kWrite false is the measuring pass: values are not checked and a text cut
// off inside its last character counts one unit without an error.
template <bool kWrite>
class Decoder {
 public:
  Decoder(const std::uint8_t* src, std::size_t len, bool lastPiece, std::uint16_t* dst, const DecodeProgress& from)
      : src_(src), len_(len), lastPiece_(lastPiece), dst_(dst), u_(from.units), r_(from.result),
        substitutions_(from.substitutions) {}

  DecodeProgress Run() {
    const kernels::Table& k = kernels::Active();
    while (p_ < len_) {
      // The kernel takes the plain blocks; where it stops, the code below
      // decodes to past the block it would not take, and hands back.
      if constexpr (kWrite) {
        p_ += k.utf8Decode(src_ + p_, len_ - p_, dst_, &u_, &r_);
      } else {
        p_ += k.utf8Measure(src_ + p_, len_ - p_, &u_, &r_);
      }
      if (p_ >= len_ || !DecodeCharacters(p_ + kByHand)) break;
    }
    return {p_, u_, r_, substitutions_};
  }

 private:
  // Wider than any kernel's block.
  static constexpr std::size_t kByHand = 64;

  void Emit(std::uint16_t value) {
    if constexpr (kWrite) dst_[u_] = value;
    ++u_;
  }
  void Fail() {
    Emit(ReplacementCharacter);
    r_ = ConvInvalidData;
    ++substitutions_;
  }

  // Decodes whole characters until `until` or the end; false when a piece
  // that is not the last ends inside a character.
  bool DecodeCharacters(std::size_t until) {
    if (until > len_) until = len_;
    while (p_ < until) {
      const std::uint8_t b = src_[p_];
      const std::size_t left = len_ - p_;
      if (b < 0x80) {
        Emit(b);
        ++p_;
        continue;
      }
      // Well-formed two- and three-byte forms, the bulk of real text, first.
      if (b >= 0xC0 && b < 0xE0 && left >= 2 && IsContinuation(src_[p_ + 1])) {
        r_ |= ConvMultiByteSeen;
        Emit(std::uint16_t(((b & 0x1F) << 6) | (src_[p_ + 1] & 0x3F)));
        p_ += 2;
        continue;
      }
      if (b >= 0xE0 && b < 0xF0 && left >= 3 && IsContinuation(src_[p_ + 1]) && IsContinuation(src_[p_ + 2])) {
        r_ |= ConvMultiByteSeen;
        if constexpr (kWrite) {
          const std::uint32_t v = ((b & 0x0F) << 12) | ((src_[p_ + 1] & 0x3F) << 6) | (src_[p_ + 2] & 0x3F);
          if (v > 0xFFFD || IsSurrogate(v)) {
            Fail();
          } else {
            Emit(std::uint16_t(v));
          }
        } else {
          ++u_;
        }
        p_ += 3;
        continue;
      }
      if (b >= 0xF0 && b < 0xF8 && left >= 4 && IsContinuation(src_[p_ + 1]) && IsContinuation(src_[p_ + 2]) &&
          IsContinuation(src_[p_ + 3])) {
        DecodeFourByteForm(b);
        continue;
      }
      if (!DecodeOther(b, left)) return false;
    }
    return true;
  }

  // Everything else: stray and invalid bytes, four- to six-byte forms, too
  // few continuation bytes, and forms cut off by the end of the piece.
  bool DecodeOther(std::uint8_t b, std::size_t left) {
    if (b < 0xC0 || b >= 0xFE) {  // stray continuation byte, or 0xFE/0xFF
      Fail();
      ++p_;
      return true;
    }
    const std::size_t form = FormLength(b);
    if (left < form) {
      if (!lastPiece_) return false;  // the rest of this character may follow
      // Cut off by the end of the text: its continuation bytes are taken and
      // one U+FFFD stands for them; decoding resumes after them.
      std::size_t k = 0;
      while (k + 1 < left && IsContinuation(src_[p_ + 1 + k])) ++k;
      const bool runsToEnd = k + 1 == left;
      if (kWrite || !runsToEnd) {
        Fail();
      } else {
        Emit(ReplacementCharacter);
      }
      p_ += k + 1;
      return true;
    }
    std::size_t k = 0;
    while (k + 1 < form && IsContinuation(src_[p_ + 1 + k])) ++k;
    if (k + 1 < form || form > 4) {  // too few continuation bytes, or a 5/6-byte form
      Fail();
      p_ += k + 1;
      return true;
    }
    DecodeFourByteForm(b);  // only a complete four-byte form is left
    return true;
  }

  void DecodeFourByteForm(std::uint8_t b) {
    r_ |= ConvMultiByteSeen;
    if constexpr (kWrite) {
      const std::uint32_t cp = ((b & 0x07) << 18) | ((src_[p_ + 1] & 0x3F) << 12) | ((src_[p_ + 2] & 0x3F) << 6) |
                               (src_[p_ + 3] & 0x3F);
      std::uint16_t high, low;
      if (SplitIntoSurrogatePair(cp, &high, &low) == ConvOk) {
        Emit(high);
        Emit(low);
      } else {
        Fail();
      }
    } else {
      u_ += 2;
    }
    p_ += 4;
  }

  const std::uint8_t* src_;
  std::size_t len_;
  bool lastPiece_;
  std::uint16_t* dst_;
  std::size_t p_ = 0;
  std::size_t u_;
  ConvResult r_;
  std::size_t substitutions_;
};

template <bool kWrite>
void Decode(const std::uint8_t* src, std::size_t len, bool lastPiece, std::uint16_t* dst, DecodeProgress& progress) {
  progress = Decoder<kWrite>(src, len, lastPiece, dst, progress).Run();
}

}  // namespace recodo::utf8

namespace recodo {

// The exported decoder with the output limit as a parameter, so that the
// refusal of outputs past 4 GiB can be shown on small texts.
ConvResult DecodeUtf8(const std::uint8_t* src, std::uint32_t srcLength, std::uint16_t* dst,
                      std::uint32_t* dstLength, std::uint64_t maxOutputBytes);

}  // namespace recodo
