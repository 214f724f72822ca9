#include "iso2022jp_codec.h"

#include "base/surrogates.h"
#include "double_byte_codec.h"
#include "kernels/dispatch.h"

namespace recodo::iso2022jp {
namespace {

enum Mode : std::uint32_t { kAscii = 0, kRoman = 1, kJis0208 = 2 };

constexpr std::uint16_t kReplacement = 0xFFFD;
constexpr std::uint8_t kEscape = 0x1B;

// NEC's row 13, which EUC-JP reads as Windows does, is no part of JIS X 0208
// as RFC 1468 uses it.
constexpr std::uint8_t kNecRow = 0x2D;

// JIS X 0208 is EUC-JP's two-byte table with the high bits cleared.
std::uint16_t Jis0208Unit(std::uint8_t row, std::uint8_t cell) {
  if (row == kNecRow) return multibyte::kNone;
  const multibyte::DoubleByteTables& t = multibyte::kTables[multibyte::kEucJp];
  const int width = t.trailMax - t.trailMin + 1;
  const int lead = row | 0x80, trail = cell | 0x80;
  if (lead < t.leadMin || lead > t.leadMax || trail < t.trailMin || trail > t.trailMax) return multibyte::kNone;
  return t.pairs[(lead - t.leadMin) * width + trail - t.trailMin];
}

std::size_t SwitchTo(Mode mode, std::uint8_t* out, std::uint32_t* state) {
  if (*state == mode) return 0;
  *state = mode;
  out[0] = kEscape;
  out[1] = mode == kJis0208 ? '$' : '(';
  out[2] = mode == kJis0208 ? 'B' : mode == kRoman ? 'J' : 'B';
  return 3;
}

}  // namespace

std::size_t Decode(const std::uint8_t* s, std::size_t n, bool last, std::uint16_t* out, std::uint32_t* state,
                   std::size_t* consumed, std::uint64_t* substitutions) {
  std::size_t i = 0, u = 0;
  std::uint64_t bad = 0;
  std::uint32_t mode = *state;
  while (i < n) {
    const std::uint8_t b = s[i];
    if (b == kEscape) {
      if (n - i < 3 && !last) break;
      const std::uint8_t c = n - i > 1 ? s[i + 1] : 0, d = n - i > 2 ? s[i + 2] : 0;
      std::uint32_t to = 3;  // none
      if (c == '(' && d == 'B') to = kAscii;
      else if (c == '(' && d == 'J') to = kRoman;
      else if (c == '$' && (d == '@' || d == 'B')) to = kJis0208;
      if (to != 3) {
        mode = to;
        i += 3;
      } else {
        out[u++] = kReplacement;
        ++bad;
        ++i;
      }
      continue;
    }
    if (b >= 0x80) {
      out[u++] = kReplacement;
      ++bad;
      ++i;
      continue;
    }
    // Controls and the space are themselves in every mode.
    if (mode == kAscii || b <= 0x20 || b == 0x7F) {
      out[u++] = b;
      ++i;
      continue;
    }
    if (mode == kRoman) {
      out[u++] = b == 0x5C ? 0x00A5 : b == 0x7E ? 0x203E : b;
      ++i;
      continue;
    }
    if (n - i < 2) {
      if (!last) break;
      out[u++] = kReplacement;
      ++bad;
      ++i;
      continue;
    }
    const std::uint8_t c = s[i + 1];
    const bool shaped = c >= 0x21 && c <= 0x7E;
    const std::uint16_t unit = shaped ? Jis0208Unit(b, c) : multibyte::kNone;
    out[u++] = unit == multibyte::kNone ? kReplacement : unit;
    bad += unit == multibyte::kNone;
    i += shaped ? 2 : 1;
  }
  *state = mode;
  *consumed = i;
  *substitutions += bad;
  return u;
}

std::size_t Encode(const std::uint16_t* units, std::size_t n, std::uint8_t* out, std::uint32_t* state,
                   std::uint64_t* losses) {
  const kernels::Table& k = kernels::Active();
  std::size_t i = 0, o = 0;
  std::uint64_t lost = 0;
  while (i < n) {
    if (*state == kAscii && units[i] < 0x80) {
      const std::size_t ascii = k.asciiNarrow(units + i, n - i, out + o);
      i += ascii;
      o += ascii;
      if (i == n) break;
    }
    const std::uint16_t unit = units[i++];
    if (unit < 0x80) {
      o += SwitchTo(kAscii, out + o, state);
      out[o++] = std::uint8_t(unit);
      continue;
    }
    if (unit == 0x00A5 || unit == 0x203E) {
      o += SwitchTo(kRoman, out + o, state);
      out[o++] = unit == 0x00A5 ? 0x5C : 0x7E;
      continue;
    }
    const std::uint16_t code = IsSurrogate(unit) ? multibyte::kNone : multibyte::EncodedCode(multibyte::kEucJp, unit);
    if (code != multibyte::kNone && code >= 0xA1A1 && (code >> 8 & 0x7F) != kNecRow) {
      o += SwitchTo(kJis0208, out + o, state);
      out[o] = std::uint8_t(code >> 8 & 0x7F);
      out[o + 1] = std::uint8_t(code & 0x7F);
      o += 2;
      continue;
    }
    // Half-width katakana and JIS X 0212 have no place in this form.
    if (IsHighSurrogate(unit) && i < n && IsLowSurrogate(units[i])) ++i;
    o += SwitchTo(kAscii, out + o, state);
    out[o++] = '?';
    lost += unit != kReplacement && unit != 0xFFFF;
  }
  *losses += lost;
  return o;
}

std::size_t Finish(std::uint8_t* out, std::uint32_t* state) { return SwitchTo(kAscii, out, state); }

}  // namespace recodo::iso2022jp
