#include "iso2022jp_codec.h"

#include "base/surrogates.h"
#include "double_byte_codec.h"
#include "kernels/dispatch.h"

namespace recodo::iso2022jp {
namespace {

// What the bytes between escapes are. ASCII, Roman and JIS X 0208 are RFC
// 1468's; half-width katakana and JIS X 0212 are read (as other Japanese
// mail programs write them) but never written; any other set an escape names
// is read as malformed, a byte at a time, until the next escape.
enum Mode : std::uint32_t { kAscii = 0, kRoman = 1, kJis0208 = 2, kKatakana = 3, kJis0212 = 4, kUnknown = 5 };

constexpr std::uint16_t kReplacement = 0xFFFD;
constexpr std::uint8_t kEscape = 0x1B;

// NEC's row 13, which EUC-JP reads as Windows does, is no part of JIS X 0208
// as RFC 1468 uses it.
constexpr std::uint8_t kNecRow = 0x2D;

const multibyte::DoubleByteTables& EucJp() {
  static const multibyte::DoubleByteTables t = multibyte::TablesOf(multibyte::kEucJp);
  return t;
}

// JIS X 0208 is EUC-JP's two-byte table with the high bits cleared, JIS X
// 0212 its three-byte one.
std::uint16_t Jis0208Unit(std::uint8_t row, std::uint8_t cell) {
  if (row == kNecRow) return multibyte::kNone;
  const multibyte::DoubleByteTables& t = EucJp();
  const int width = t.trailMax - t.trailMin + 1;
  const int lead = row | 0x80, trail = cell | 0x80;
  if (lead < t.leadMin || lead > t.leadMax || trail < t.trailMin || trail > t.trailMax) return multibyte::kNone;
  return t.pairs[(lead - t.leadMin) * width + trail - t.trailMin];
}

std::uint16_t Jis0212Unit(std::uint8_t row, std::uint8_t cell) {
  return EucJp().triples[(row - 0x21) * 94 + cell - 0x21];
}

std::size_t SwitchTo(Mode mode, std::uint8_t* out, std::uint32_t* state) {
  if (*state == mode) return 0;
  *state = mode;
  out[0] = kEscape;
  out[1] = mode == kJis0208 ? '$' : '(';
  out[2] = mode == kJis0208 ? 'B' : mode == kRoman ? 'J' : 'B';
  return 3;
}

// An escape sequence: ESC, up to two intermediate bytes (20..2F) and a
// final byte (30..7E). Returns its length, 0 when malformed, or -1 when the
// end of the bytes cuts it.
int EscapeLength(const std::uint8_t* s, std::size_t n) {
  for (std::size_t i = 1; i < 4; ++i) {
    if (i == n) return -1;
    if (s[i] >= 0x30 && s[i] <= 0x7E) return i == 1 ? 0 : int(i + 1);
    if (s[i] < 0x20 || s[i] > 0x2F) return 0;
  }
  return 0;
}

Mode ModeOf(const std::uint8_t* s, int length) {
  const std::uint8_t a = s[1], b = s[2], c = length == 4 ? s[3] : 0;
  if (length == 3 && a == '(') return b == 'B' ? kAscii : b == 'J' ? kRoman : b == 'I' ? kKatakana : kUnknown;
  if (length == 3 && a == '$' && (b == '@' || b == 'B')) return kJis0208;
  if (length == 4 && a == '$' && b == '(') return c == '@' || c == 'B' ? kJis0208 : c == 'D' ? kJis0212 : kUnknown;
  return kUnknown;
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
      const int length = EscapeLength(s + i, n - i);
      if (length < 0 && !last) break;
      if (length > 0) {
        mode = ModeOf(s + i, length);
        i += std::size_t(length);
        if (mode != kUnknown) continue;
      } else {
        ++i;  // an ESC that starts no escape sequence
      }
      out[u++] = kReplacement;
      ++bad;
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
    if (mode == kRoman || mode == kKatakana || mode == kUnknown) {
      std::uint16_t unit = b;
      if (mode == kRoman) unit = b == 0x5C ? 0x00A5 : b == 0x7E ? 0x203E : b;
      else if (mode == kKatakana) unit = b <= 0x5F ? std::uint16_t(0xFF61 + (b - 0x21)) : kReplacement;
      else unit = kReplacement;
      out[u++] = unit;
      bad += unit == kReplacement;
      ++i;
      continue;
    }
    if (mode == kJis0208) {
      // The pairs of a run, in a loop of their own, up to the first byte
      // that is no row of the table (an escape, a line break).
      const std::uint16_t* pairs = multibyte::PairTable(multibyte::kEucJp);
      const std::size_t start = i;
      while (n - i >= 2) {
        const std::uint8_t row = s[i], cell = s[i + 1];
        if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E || row == kNecRow) break;
        const std::uint16_t unit = pairs[row << 8 | (cell | 0x80)];  // lead (row | 0x80) - 0x80
        out[u++] = unit == multibyte::kNone ? kReplacement : unit;
        bad += unit == multibyte::kNone;
        i += 2;
      }
      if (i != start) continue;  // the next byte, whatever it is, afresh
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
    const std::uint16_t unit =
        !shaped ? multibyte::kNone : mode == kJis0208 ? Jis0208Unit(b, c) : Jis0212Unit(b, c);
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
                   std::uint64_t* losses, std::uint64_t* standIns) {
  const kernels::Table& k = kernels::Active();
  std::size_t i = 0, o = 0;
  std::uint64_t lost = 0;
  while (i < n) {
    if (*state == kAscii && units[i] < 0x80 && units[i] != kEscape) {
      std::size_t ascii = k.asciiNarrow(units + i, n - i, out + o);
      // Up to an ESC, which is no character of this form.
      for (std::size_t j = 0; j < ascii; ++j)
        if (units[i + j] == kEscape) {
          ascii = j;
          break;
        }
      i += ascii;
      o += ascii;
      if (i == n) break;
    }
    const std::uint16_t unit = units[i++];
    // An ESC of the text would be read as the start of an escape sequence.
    if (unit < 0x80 && unit != kEscape) {
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
    if (unit == kReplacement || unit == 0xFFFF) ++*standIns;
    else ++lost;
  }
  *losses += lost;
  return o;
}

std::size_t Finish(std::uint8_t* out, std::uint32_t* state) { return SwitchTo(kAscii, out, state); }

}  // namespace recodo::iso2022jp
