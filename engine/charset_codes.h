// Character-set codes and the result word shared by the codecs.
#pragma once

#include <cstdint>

namespace recodo {

using CharsetCode = std::int32_t;

inline constexpr CharsetCode CharsetCount = 49;  // single-byte sets; "none fits"
inline constexpr CharsetCode CharsetIso8859_1 = 0;
inline constexpr CharsetCode CharsetWindows1252 = 18;  // "ansi"
inline constexpr CharsetCode CharsetUtf8 = 100;
inline constexpr CharsetCode CharsetUtf16 = 101;
inline constexpr CharsetCode CharsetUtf16BE = 102;
inline constexpr CharsetCode CharsetUtf32 = 103;  // little endian, as UTF-16 here
inline constexpr CharsetCode CharsetUtf32BE = 104;
// Single-byte sets past the first 49, which detection never answers.
inline constexpr CharsetCode CharsetKoi8R = 110;
inline constexpr CharsetCode CharsetKoi8U = 111;
inline constexpr CharsetCode CharsetIso8859_16 = 112;
// Sets of one to four bytes a character.
inline constexpr CharsetCode CharsetShiftJis = 120;
inline constexpr CharsetCode CharsetEucJp = 121;
inline constexpr CharsetCode CharsetIso2022Jp = 122;
inline constexpr CharsetCode CharsetGbk = 123;
inline constexpr CharsetCode CharsetGb18030 = 124;
inline constexpr CharsetCode CharsetBig5 = 125;
inline constexpr CharsetCode CharsetEucKr = 126;

using ConvResult = std::uint32_t;

inline constexpr ConvResult ConvOk = 0;
inline constexpr ConvResult ConvInvalidData = 0x80000001u;
inline constexpr ConvResult ConvBufferTooSmall = 0x80000002u;
inline constexpr ConvResult ConvMultiByteSeen = 0x08000000u;

// The largest output a 32-bit byte count can describe. Texts whose output
// would be larger are refused by the functions that have no capacity.
inline constexpr std::uint64_t MaxOutputBytes = 0xFFFFFFFFu;

// The 49 sets the first functions of the library take and detection answers.
inline constexpr bool IsSingleByteCharset(CharsetCode code) { return code >= 0 && code < CharsetCount; }
// Every single-byte set of the catalogue, and the row of its byte table.
inline constexpr int SingleByteTableCount = CharsetCount + 3;
inline constexpr bool IsAnySingleByteCharset(CharsetCode code) {
  return IsSingleByteCharset(code) || (code >= CharsetKoi8R && code <= CharsetIso8859_16);
}
inline constexpr int SingleByteTableRow(CharsetCode code) {
  return code < CharsetCount ? code : CharsetCount + (code - CharsetKoi8R);
}
inline constexpr CharsetCode SingleByteTableCode(int row) {
  return row < CharsetCount ? row : CharsetKoi8R + (row - CharsetCount);
}
inline constexpr bool IsUtf16Charset(CharsetCode code) { return code == CharsetUtf16 || code == CharsetUtf16BE; }
inline constexpr bool IsUtf32Charset(CharsetCode code) { return code == CharsetUtf32 || code == CharsetUtf32BE; }
inline constexpr bool IsEastAsianCharset(CharsetCode code) { return code >= CharsetShiftJis && code <= CharsetEucKr; }
// Every set a text can be converted from or to.
inline constexpr bool IsCatalogueCharset(CharsetCode code) {
  return IsAnySingleByteCharset(code) || (code >= CharsetUtf8 && code <= CharsetUtf32BE) || IsEastAsianCharset(code);
}

inline constexpr std::uint16_t UndefinedUnit = 0xFFFF;  // what an undefined byte decodes to
inline constexpr std::uint16_t ReplacementCharacter = 0xFFFD;

}  // namespace recodo
