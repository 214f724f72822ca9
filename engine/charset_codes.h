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

using ConvResult = std::uint32_t;

inline constexpr ConvResult ConvOk = 0;
inline constexpr ConvResult ConvInvalidData = 0x80000001u;
inline constexpr ConvResult ConvBufferTooSmall = 0x80000002u;
inline constexpr ConvResult ConvMultiByteSeen = 0x08000000u;

// The largest output a 32-bit byte count can describe. Texts whose output
// would be larger are refused by the functions that have no capacity.
inline constexpr std::uint64_t MaxOutputBytes = 0xFFFFFFFFu;

inline constexpr bool IsSingleByteCharset(CharsetCode code) { return code >= 0 && code < CharsetCount; }

inline constexpr std::uint16_t UndefinedUnit = 0xFFFF;  // what an undefined byte decodes to
inline constexpr std::uint16_t ReplacementCharacter = 0xFFFD;

}  // namespace recodo
