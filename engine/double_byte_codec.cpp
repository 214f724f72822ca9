// The table-driven sets: Shift_JIS, EUC-JP, GBK, GB18030, Big5 and EUC-KR.
#include "double_byte_codec.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/surrogates.h"
#include "kernels/dispatch.h"

namespace recodo::multibyte {
namespace {

constexpr std::uint16_t kReplacement = 0xFFFD;
constexpr std::uint16_t kUndefined = 0xFFFF;

// GB 18030: the four-byte sequences counted from 81 30 81 30; those of the
// BMP come first, those from U+10000 on start at 90 30 81 30.
constexpr std::uint32_t kBmpFourByteCount = 39420;
constexpr std::uint32_t kSupplementaryStart = 189000;

std::uint32_t FourByteIndex(const std::uint8_t* s) {
  return ((std::uint32_t(s[0] - 0x81) * 10 + (s[1] - 0x30)) * 126 + (s[2] - 0x81)) * 10 + (s[3] - 0x30);
}

void WriteFourBytes(std::uint32_t index, std::uint8_t* out) {
  out[3] = std::uint8_t(0x30 + index % 10);
  index /= 10;
  out[2] = std::uint8_t(0x81 + index % 126);
  index /= 126;
  out[1] = std::uint8_t(0x30 + index % 10);
  out[0] = std::uint8_t(0x81 + index / 10);
}

// The BMP character of a four-byte index below kBmpFourByteCount.
std::uint16_t FourByteUnit(const DoubleByteTables& t, std::uint32_t index) {
  const FourByteRange* end = t.ranges + t.rangeCount;
  const FourByteRange* range =
      std::upper_bound(t.ranges, end, index, [](std::uint32_t i, const FourByteRange& r) { return i < r.index; }) - 1;
  return std::uint16_t(range->first + (index - range->index));
}

// The four-byte ranges by their first character, for the encoder (one
// range of the 2005 edition stands out of order).
struct UnitRange {
  std::uint16_t first;
  std::uint16_t length;
  std::uint32_t index;
};

std::vector<UnitRange> RangesByUnit(const DoubleByteTables& t) {
  std::vector<UnitRange> ranges;
  for (std::size_t i = 0; i < t.rangeCount; ++i) {
    const std::uint32_t end = i + 1 < t.rangeCount ? t.ranges[i + 1].index : kBmpFourByteCount;
    ranges.push_back({t.ranges[i].first, std::uint16_t(end - t.ranges[i].index), t.ranges[i].index});
  }
  std::sort(ranges.begin(), ranges.end(), [](const UnitRange& a, const UnitRange& b) { return a.first < b.first; });
  return ranges;
}

// The four-byte index of a BMP character, or false when none is its.
bool FourByteIndexOf(const std::vector<UnitRange>& ranges, std::uint16_t unit, std::uint32_t* index) {
  auto range = std::upper_bound(ranges.begin(), ranges.end(), unit,
                                [](std::uint16_t u, const UnitRange& r) { return u < r.first; });
  if (range == ranges.begin()) return false;
  --range;
  if (unit - range->first >= range->length) return false;
  *index = range->index + (unit - range->first);
  return true;
}

// The encoder's table: 256 pages by a unit's high byte, pages that hold no
// sequence shared. An entry is a byte (below 0x100), a lead and trail byte,
// EUC-JP's 8F xx yy as xx yy without their high bits, or kNone.
// Both directions as flat tables, built at first use: 128 KiB by unit for
// the encoder, 64 KiB by lead (80..FF) and trail byte for the decoder, so
// that a character costs one load.
struct CodecTables {
  DoubleByteTables tables;
  std::unique_ptr<std::uint16_t[]> encode;  // by unit
  std::unique_ptr<std::uint16_t[]> pairs;   // by (lead - 0x80) << 8 | trail
  std::vector<UnitRange> fourByteRanges;

  std::uint16_t At(std::uint16_t unit) const { return encode[unit]; }
};

void Put(CodecTables& e, std::uint16_t unit, std::uint16_t code, bool overwrite) {
  std::uint16_t& entry = e.encode[unit];
  if (overwrite || entry == kNone) entry = code;
}

CodecTables Build(const DoubleByteTables& t) {
  CodecTables e;
  e.tables = t;
  e.encode.reset(new std::uint16_t[0x10000]);
  std::fill(e.encode.get(), e.encode.get() + 0x10000, kNone);
  e.pairs.reset(new std::uint16_t[0x8000]);
  std::fill(e.pairs.get(), e.pairs.get() + 0x8000, kNone);
  // The first sequence of a character is its encoding.
  for (int b = 0; b < 256; ++b)
    if (t.single[b] != kNone && t.single[b] != kLead) Put(e, t.single[b], std::uint16_t(b), false);
  const int width = t.trailMax - t.trailMin + 1;
  for (int lead = t.leadMin; lead <= t.leadMax; ++lead)
    for (int trail = t.trailMin; trail <= t.trailMax; ++trail) {
      const std::uint16_t unit = t.pairs[(lead - t.leadMin) * width + trail - t.trailMin];
      e.pairs[(lead - 0x80) << 8 | trail] = unit;
      if (unit != kNone) Put(e, unit, std::uint16_t(lead << 8 | trail), false);
    }
  if (t.triples != nullptr)
    for (int i = 0; i < 94 * 94; ++i)
      if (t.triples[i] != kNone) Put(e, t.triples[i], std::uint16_t((0x21 + i / 94) << 8 | (0x21 + i % 94)), false);
  for (std::size_t i = 0; i < t.preferredCount; ++i) {
    const Preference& p = t.preferred[i];
    Put(e, p.unit, p.code == kFourBytes ? kNone : p.code, true);
  }
  for (int unit = 0xD800; unit <= 0xDFFF; ++unit) e.encode[unit] = kNone;
  e.fourByteRanges = RangesByUnit(t);
  return e;
}

// Never destroyed: a program that loads recodo.exe as a library and frees
// it would otherwise run a destructor of unloaded code when it exits.
template <int kIndex>
const CodecTables& EncoderOf() {
  static const CodecTables* const table = new CodecTables(Build(TablesOf(static_cast<TableIndex>(kIndex))));
  return *table;
}

const CodecTables& EncoderFor(TableIndex index) {
  switch (index) {
    case kShiftJis: return EncoderOf<kShiftJis>();
    case kEucJp: return EncoderOf<kEucJp>();
    case kGbk: return EncoderOf<kGbk>();
    case kGb18030: return EncoderOf<kGb18030>();
    case kBig5: return EncoderOf<kBig5>();
    default: return EncoderOf<kEucKr>();
  }
}

}  // namespace

namespace {

// The decoder of one kind of set: plain lead and trail bytes, with EUC-JP's
// three-byte sequences, or with GB 18030's four-byte ones.
template <bool kThree, bool kFour>
std::size_t DecodeKind(const DoubleByteTables& t, const CodecTables& c, const std::uint8_t* s, std::size_t n, bool last,
                       std::uint16_t* out, std::size_t* consumed, std::uint64_t* substitutions) {
  const kernels::Table& k = kernels::Active();
  std::size_t i = 0, u = 0;
  std::uint64_t bad = 0;
  while (i < n) {
    const std::uint8_t b = s[i];
    if (b < 0x80) {
      // A lone ASCII byte between characters (a space) is cheaper here.
      if (i + 1 == n || s[i + 1] >= 0x80) {
        out[u++] = b;
        ++i;
        continue;
      }
      const std::size_t ascii = k.asciiWiden(s + i, n - i, out + u);
      i += ascii;
      u += ascii;
      continue;
    }
    const std::uint16_t single = t.single[b];
    if (single != kLead) {
      out[u++] = single == kNone ? kReplacement : single;
      bad += single == kNone;
      ++i;
      continue;
    }
    // The longest sequence this lead may start must be whole, unless the
    // text ends here.
    const std::size_t left = n - i;
    if (left < 2) {
      if (!last) break;
      out[u++] = kReplacement;
      ++bad;
      ++i;
      continue;
    }
    const std::uint8_t trail = s[i + 1];
    if (kFour && trail >= 0x30 && trail <= 0x39) {
      if (left < 4) {
        if (!last) break;
      } else if (s[i + 2] >= 0x81 && s[i + 2] <= 0xFE && s[i + 3] >= 0x30 && s[i + 3] <= 0x39) {
        const std::uint32_t four = FourByteIndex(s + i);
        i += 4;
        if (four < kBmpFourByteCount) {
          out[u++] = FourByteUnit(t, four);
        } else if (four >= kSupplementaryStart && four - kSupplementaryStart < 0x100000) {
          const std::uint32_t codePoint = 0x10000 + (four - kSupplementaryStart);
          out[u++] = HighSurrogateOf(codePoint);
          out[u++] = LowSurrogateOf(codePoint);
        } else {
          out[u++] = kReplacement;
          ++bad;
        }
        continue;
      }
      out[u++] = kReplacement;
      ++bad;
      ++i;
      continue;
    }
    if (kThree && b == 0x8F) {
      if (left < 3) {
        if (!last) break;
        out[u++] = kReplacement;
        ++bad;
        ++i;
        continue;
      }
      const std::uint8_t third = s[i + 2];
      const bool shaped = trail >= 0xA1 && trail <= 0xFE && third >= 0xA1 && third <= 0xFE;
      const std::uint16_t unit = shaped ? t.triples[(trail - 0xA1) * 94 + third - 0xA1] : kNone;
      out[u++] = unit == kNone ? kReplacement : unit;
      bad += unit == kNone;
      i += shaped ? 3 : 1;
      continue;
    }
    const std::uint16_t unit = c.pairs[(b - 0x80) << 8 | trail];
    if (unit != kNone) {
      out[u++] = unit;
      i += 2;
      continue;
    }
    // An ASCII byte after a lead is a character of its own.
    out[u++] = kReplacement;
    ++bad;
    i += trail >= 0x80 ? 2 : 1;
  }
  *consumed = i;
  *substitutions += bad;
  return u;
}

}  // namespace

std::size_t Decode(TableIndex index, const std::uint8_t* s, std::size_t n, bool last, std::uint16_t* out,
                   std::size_t* consumed, std::uint64_t* substitutions) {
  const CodecTables& c = EncoderFor(index);
  const DoubleByteTables& t = c.tables;
  if (index == kEucJp) return DecodeKind<true, false>(t, c, s, n, last, out, consumed, substitutions);
  if (index == kGb18030) return DecodeKind<false, true>(t, c, s, n, last, out, consumed, substitutions);
  return DecodeKind<false, false>(t, c, s, n, last, out, consumed, substitutions);
}

std::size_t Encode(TableIndex index, const std::uint16_t* units, std::size_t n, std::uint8_t* out,
                   std::uint64_t* losses, std::uint64_t* standIns) {
  const CodecTables& e = EncoderFor(index);
  const DoubleByteTables& t = e.tables;
  const kernels::Table& k = kernels::Active();
  const bool fullUnicode = t.ranges != nullptr;
  std::size_t i = 0, o = 0;
  std::uint64_t lost = 0;
  while (i < n) {
    std::uint16_t unit = units[i];
    if (unit < 0x80) {
      // A lone ASCII unit between characters (a space) is cheaper here.
      if (i + 1 == n || units[i + 1] >= 0x80) {
        out[o++] = std::uint8_t(unit);
        ++i;
        continue;
      }
      const std::size_t ascii = k.asciiNarrow(units + i, n - i, out + o);
      i += ascii;
      o += ascii;
      continue;
    }
    // Most characters of these sets take a lead and a trail byte.
    const std::uint16_t pair = e.At(unit);
    if (pair >= 0x8000 && pair != kNone) {
      out[o] = std::uint8_t(pair >> 8);
      out[o + 1] = std::uint8_t(pair);
      o += 2;
      ++i;
      continue;
    }
    ++i;
    if (IsSurrogate(unit)) {
      const bool pair = IsHighSurrogate(unit) && i < n && IsLowSurrogate(units[i]);
      if (pair && fullUnicode) {
        const std::uint32_t codePoint = 0x10000 + ((std::uint32_t(unit) - 0xD800) << 10) + (units[i++] - 0xDC00);
        WriteFourBytes(kSupplementaryStart + codePoint - 0x10000, out + o);
        o += 4;
        continue;
      }
      i += pair ? 1 : 0;
      ++lost;
      if (!fullUnicode) {
        out[o++] = '?';
        continue;
      }
      unit = kReplacement;  // a lone half, in a set that holds every character
    }
    const std::uint16_t code = e.At(unit);
    if (code == kNone) {
      std::uint32_t four = 0;
      if (fullUnicode && FourByteIndexOf(e.fourByteRanges, unit, &four)) {
        WriteFourBytes(four, out + o);
        o += 4;
      } else {
        out[o++] = '?';
        if (unit == kReplacement || unit == kUndefined) ++*standIns;
        else ++lost;
      }
    } else if (code < 0x100) {
      out[o++] = std::uint8_t(code);
    } else if (code < 0x8000) {
      out[o] = 0x8F;  // EUC-JP's JIS X 0212
      out[o + 1] = std::uint8_t(code >> 8 | 0x80);
      out[o + 2] = std::uint8_t(code | 0x80);
      o += 3;
    } else {
      out[o] = std::uint8_t(code >> 8);
      out[o + 1] = std::uint8_t(code);
      o += 2;
    }
  }
  *losses += lost;
  return o;
}

std::uint16_t EncodedCode(TableIndex index, std::uint16_t unit) { return EncoderFor(index).At(unit); }

const std::uint16_t* PairTable(TableIndex index) { return EncoderFor(index).pairs.get(); }

}  // namespace recodo::multibyte
