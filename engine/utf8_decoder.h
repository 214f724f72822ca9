// The UTF-8 decoder shared by the exported converter and by detection.
// It can run over a text in pieces: a piece that is not the last stops
// before a lead byte whose form may continue in the next piece.
#pragma once

#include <cstddef>
#include <cstdint>

#include "charset_codes.h"
#include "simd.h"
#include "surrogates.h"

namespace recodo::utf8 {

struct DecodeProgress {
  std::size_t consumed = 0;  // bytes of the piece taken
  std::size_t units = 0;     // units written (or counted) so far, all pieces
  ConvResult result = ConvOk;
};

inline bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Length of the form a lead byte 0xC0..0xFD introduces.
inline std::size_t FormLength(std::uint8_t lead) {
  return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : lead < 0xFC ? 5 : 6;
}

// kWrite false is the measuring pass: values are not checked and a text cut
// off inside its last character counts one unit without an error.
template <bool kWrite>
void Decode(const std::uint8_t* src, std::size_t len, bool lastPiece, std::uint16_t* dst, DecodeProgress& progress) {
  std::size_t p = 0;
  std::size_t u = progress.units;
  ConvResult r = progress.result;

  const auto emit = [&](std::uint16_t value) {
    if constexpr (kWrite) dst[u] = value;
    ++u;
  };
  const auto fail = [&] {
    emit(ReplacementCharacter);
    r = ConvInvalidData;
  };

  while (p < len) {
    const std::uint8_t b = src[p];
    if (b < 0x80) {
      const std::size_t ascii = simd::AsciiBytePrefix(src + p, len - p);
      if (ascii != 0) {
        if constexpr (kWrite) simd::WidenBytes(src + p, dst + u, ascii);
        u += ascii;
        p += ascii;
        continue;
      }
      emit(b);
      ++p;
      continue;
    }
    if (b < 0xC0 || b >= 0xFE) {  // stray continuation byte, or 0xFE/0xFF
      fail();
      ++p;
      continue;
    }

    const std::size_t form = FormLength(b);
    const std::size_t remaining = len - p;
    if (remaining < form) {
      if (!lastPiece) break;  // the rest of this character may follow
      // Cut off by the end of the text: its continuation bytes are taken and
      // one U+FFFD stands for them; decoding resumes after them.
      std::size_t k = 0;
      while (k + 1 < remaining && IsContinuation(src[p + 1 + k])) ++k;
      const bool runsToEnd = k + 1 == remaining;
      if (kWrite || !runsToEnd) {
        fail();
      } else {
        emit(ReplacementCharacter);
      }
      p += k + 1;
      continue;
    }

    std::size_t k = 0;
    while (k + 1 < form && IsContinuation(src[p + 1 + k])) ++k;
    if (k + 1 < form || form > 4) {  // too few continuation bytes, or a 5/6-byte form
      fail();
      p += k + 1;
      continue;
    }
    r |= ConvMultiByteSeen;
    if (form == 2) {
      emit(std::uint16_t(((b & 0x1F) << 6) | (src[p + 1] & 0x3F)));
    } else if (form == 3) {
      if constexpr (kWrite) {
        const std::uint32_t v = ((b & 0x0F) << 12) | ((src[p + 1] & 0x3F) << 6) | (src[p + 2] & 0x3F);
        if (v > 0xFFFD || IsSurrogate(v)) {
          fail();
        } else {
          emit(std::uint16_t(v));
        }
      } else {
        ++u;
      }
    } else {
      if constexpr (kWrite) {
        const std::uint32_t cp = ((b & 0x07) << 18) | ((src[p + 1] & 0x3F) << 12) | ((src[p + 2] & 0x3F) << 6) |
                                 (src[p + 3] & 0x3F);
        std::uint16_t high, low;
        if (SplitIntoSurrogatePair(cp, &high, &low) == ConvOk) {
          emit(high);
          emit(low);
        } else {
          fail();
        }
      } else {
        u += 2;
      }
    }
    p += form;
  }

  progress.consumed = p;
  progress.units = u;
  progress.result = r;
}

}  // namespace recodo::utf8
