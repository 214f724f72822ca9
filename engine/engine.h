// The engine as the rest of the program uses it: spans and size_t lengths,
// the size asked for first and then the conversion into a buffer of that
// size, and no limit of 32 bits anywhere. The exported C functions
// wrap these; outside engine/ nothing else of the engine is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "engine/charset_codes.h"

namespace recodo::engine {

// --- The catalogue.

// The primary name of a code ("utf-8", "utf-16", "utf-16be" for 100..102),
// or null for a code that names nothing.
const char16_t* SetName(CharsetCode code);
// Looks *nameInOut up, ASCII letters compared without case: when it is
// known, sets *code and points *nameInOut at the catalogue's spelling.
bool FindSet(const char16_t** nameInOut, CharsetCode* code);

struct NamedSet {
  std::u16string_view name;
  std::u16string_view description;  // empty for some
};
// The primary name of each single-byte set, in the catalogue's order.
std::vector<NamedSet> SingleByteSets();
// The sets added since (KOI8-R ... UTF-32BE), in the order lists show them.
std::vector<NamedSet> AddedSets();

// --- Single-byte sets: one unit a byte, and one byte a unit.

// Decodes `bytes` into `units` (as many): true when a byte the set leaves
// undefined was met (it became U+FFFF).
bool DecodeSingleByte(CharsetCode set, std::span<const std::uint8_t> bytes, std::uint16_t* units);
// Encodes `units` into `bytes` (as many); what the set lacks becomes '?'.
void EncodeSingleByte(CharsetCode set, std::span<const std::uint16_t> units, std::uint8_t* bytes);
// The byte U+FFFF becomes in a set: its highest undefined byte, as that
// decodes to U+FFFF, or '?' where every byte is defined.
std::uint8_t UndefinedMark(CharsetCode set);
// What such an encoding lost: each '?' written for a unit other than '?'
// (a pair once). Those written for U+FFFD and U+FFFF, which may stand for
// characters a decoder already counted, are told apart, and so is U+FFFF
// written as `undefinedMark`, a byte the set holds no character for either.
struct MarkedLosses {
  std::uint64_t lost = 0;
  std::uint64_t standIns = 0;  // of U+FFFD and U+FFFF
};
MarkedLosses CountMarkedLosses(std::span<const std::uint16_t> units, const std::uint8_t* bytes,
                               std::uint8_t undefinedMark);
// Whether every byte of a set decodes to a whole character: none to a byte
// order mark or to half a pair.
bool DecodesToWholeCharacters(CharsetCode set);

// A set's bytes as UTF-8, made once for a text that goes straight from a
// set that DecodesToWholeCharacters into UTF-8.
struct Utf8Forms {
  std::uint32_t form[256];  // the kernels' form of each byte
  bool asciiItself;         // the bytes below 0x80 decode to themselves
};
void MakeUtf8Forms(CharsetCode set, Utf8Forms* forms);
// The bytes as DecodeSingleByte and EncodeUtf8 would make them, into `out`
// (room for three bytes a byte and one more); returns the bytes written.
// *lost: set when a byte met decodes to U+FFFF or, from 0x80 up, to U+0000.
std::size_t ExpandToUtf8(const Utf8Forms& forms, std::span<const std::uint8_t> bytes, std::uint8_t* out, bool* lost);

// --- UTF-8.

// How far a decoding has come; carried from piece to piece of one text.
struct Utf8Decoding {
  std::size_t consumed = 0;       // bytes of the last piece taken
  std::size_t units = 0;          // units written so far, all pieces
  ConvResult result = ConvOk;     // ConvInvalidData once anything was malformed
  std::size_t substitutions = 0;  // U+FFFD written for malformed input so far
};

// Units a whole text decodes to: the size to decode it into.
std::size_t Utf8Units(std::span<const std::uint8_t> bytes);
// Decodes a piece of a text into `units`, which holds at least one unit a
// byte. Unless `last`, it stops before a character the piece's end may cut:
// those bytes come again at the start of the next piece.
void DecodeUtf8(std::span<const std::uint8_t> bytes, bool last, std::uint16_t* units, Utf8Decoding* progress);

// Overlong two- and three-byte forms among whole characters: forms that
// spell a value a shorter form holds (0xC0 0xAF for '/'), which the decoder
// takes for that value. A file conversion counts them as characters not
// carried exactly.
std::size_t CountOverlongUtf8(std::span<const std::uint8_t> bytes);
// Whether UTF-8 the decoder took without a replacement encodes back to the
// very bytes it came from. Without pairs (which the size counts as four
// bytes a unit), units that take as many bytes again are the text they
// were: an overlong form would take fewer. Otherwise it may not.
bool Utf8RecodesToItself(std::span<const std::uint8_t> bytes, std::span<const std::uint16_t> units);
// Whether a text holds a form whose value the decoder refuses or spells in
// more bytes than it needs (overlong, a surrogate, past U+10FFFF), which
// the measuring pass lets by: no UTF-8 for a file's identification.
// `previous`: the byte before the text (0 at its start).
bool HasRefusedUtf8Form(std::uint8_t previous, std::span<const std::uint8_t> bytes);

// Bytes the units encode to (an unpaired surrogate as U+FFFD).
std::uint64_t Utf8Bytes(std::span<const std::uint16_t> units);
// Encodes into `bytes`, which holds Utf8Bytes(units), or three a unit, which
// is never less; returns the bytes written. The halves of a pair cut apart
// by the end of `units` are each an unpaired surrogate.
std::size_t EncodeUtf8(std::span<const std::uint16_t> units, std::uint8_t* bytes);

// --- UTF-32 and the East Asian sets: one to four bytes a character.

bool IsMultiByteSet(CharsetCode set);

// How far a decoding has come; carried from piece to piece of one text.
struct TextDecoding {
  std::uint32_t state = 0;          // a stateful set's shift state
  std::size_t consumed = 0;         // bytes of the last piece taken
  std::size_t units = 0;            // units the last piece gave
  std::uint64_t substitutions = 0;  // U+FFFD written for malformed or unmapped input, all pieces
};
// Decodes a piece of a text into `units`, which holds at least one unit a
// byte. Unless `last`, it stops before a character the piece's end may cut:
// those bytes come again at the start of the next piece.
void DecodeMultiByte(CharsetCode set, std::span<const std::uint8_t> bytes, bool last, std::uint16_t* units,
                     TextDecoding* progress);

struct TextEncoding {
  std::uint32_t state = 0;     // a stateful set's shift state
  std::uint64_t losses = 0;    // characters the set lacks, all pieces
  std::uint64_t standIns = 0;  // U+FFFD and U+FFFF the set lacks, all pieces
};
// The most bytes one unit encodes to, and the most a text's end adds.
std::size_t MaxBytesPerUnit(CharsetCode set);
inline constexpr std::size_t kMaxClosingBytes = 3;
// Encodes units into `bytes`, which holds MaxBytesPerUnit a unit; returns
// the bytes written. A character the set lacks becomes '?' and counts as a
// loss; U+FFFD and U+FFFF count apart, as stand-ins: a decoder may have
// counted what they stand for already. The halves of a pair cut apart by the
// end of `units` are each unpaired.
std::size_t EncodeMultiByte(CharsetCode set, std::span<const std::uint16_t> units, std::uint8_t* bytes,
                            TextEncoding* progress);
// What ends a text: ISO-2022-JP's return to ASCII. Returns the bytes written.
std::size_t FinishMultiByte(CharsetCode set, std::uint8_t* bytes, TextEncoding* progress);

// --- Transforms of UTF-16 text.

void SwapBytes(std::span<std::uint16_t> units);
// Line-break types; any other value removes line breaks.
inline constexpr std::int32_t kLineBreakCrLf = 1;
inline constexpr std::int32_t kLineBreakLf = 2;
inline constexpr std::int32_t kLineBreakCr = 3;
// The units the text takes with its line breaks rewritten.
std::size_t LineBreakUnits(std::int32_t type, std::span<const std::uint16_t> units);
// Rewrites into `out`, which holds LineBreakUnits, or two a unit; returns
// the units written.
std::size_t RewriteLineBreaks(std::int32_t type, std::span<const std::uint16_t> units, std::uint16_t* out);

// --- Searches.

// Bytes before the first 0x80 or above.
std::size_t AsciiPrefix(std::span<const std::uint8_t> bytes);
// Units before the first that is `a` or `b`.
std::size_t UnitsBefore(std::span<const std::uint16_t> units, std::uint16_t a, std::uint16_t b);
bool AnySurrogate(std::span<const std::uint16_t> units);

// --- Detection, and what a conversion reads a source as.

// Byte order marks, zero bytes, UTF-8 well-formedness, then the byte tables.
CharsetCode DetectCharacterSet(std::span<const std::uint8_t> bytes);

// The share of a text detection and the guess look at before they answer,
// and the size of the pieces sources are read in.
inline constexpr std::size_t kDetectionWindow = 64 * 1024;
inline constexpr std::size_t kReadPiece = 256 * 1024;

// Reads a source into `take`, a piece at a time, until `decided()` says
// more cannot change the answer or the source ends: how detection reads
// files and streams alike. `read(buffer, capacity, &got)` gives up to
// `capacity` bytes, 0 at the end, false on a failure; `take(piece)` false
// stops too. Returns false for a failure; *ended says whether it ended.
template <typename Read, typename Take, typename Decided>
bool ReadUntilDecided(std::span<std::uint8_t> buffer, Read read, Take take, Decided decided, bool* ended) {
  *ended = false;
  while (!*ended && !decided()) {
    std::size_t got = 0;
    while (got < buffer.size()) {
      std::size_t more = 0;
      if (!read(buffer.data() + got, buffer.size() - got, &more)) return false;
      if (more == 0) {
        *ended = true;
        break;
      }
      got += more;
    }
    if (!take(std::span<const std::uint8_t>(buffer.first(got)))) return false;
  }
  return true;
}

struct Identification {
  CharsetCode set = CharsetWindows1252;
  CharsetCode detected = CharsetWindows1252;  // detection's answer, guess or not
  bool guessed = false;  // the set is the guess's, not detection's
  int language = -1;     // the guess's language, -1 for none
  int confidence = 100;  // 0..100; detection's answers are sure
  bool text = true;      // false: no text file holds such bytes
  // Without the guess: a set the guess reads the text in for certain, where
  // detection only fell back; -1 for none.
  CharsetCode hint = -1;
  int hintLanguage = -1;
  int hintConfidence = 0;
  // Without the guess: detection's answer is not borne out by the guess,
  // which reads the text as another set (however sure) or did not see its
  // bytes beyond ASCII. Such a reading may be wrong.
  bool unconfirmed = false;
};

// Fed a source in pieces of any size, with the same answer however it is
// cut: detection's answer for a conversion (ISO-8859-1 with Windows
// punctuation is Windows-1252), with `guess` the guess where detection only
// falls back, and whether the bytes are text at all.
class SetIdentifier {
 public:
  explicit SetIdentifier(bool guess);
  SetIdentifier(const SetIdentifier&) = delete;
  SetIdentifier& operator=(const SetIdentifier&) = delete;
  ~SetIdentifier();

  void Feed(std::span<const std::uint8_t> bytes);
  // True once more text cannot change the answer.
  bool Decided() const;
  Identification Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// A confidence at or above this is taken without asking: below it a guess
// never replaces or deletes its source.
inline constexpr int kHighGuessConfidence = 90;
// The English name of a guess's language ("Japanese"), or "" for -1.
const char* LanguageName(int language);
// Its tag ("ja", "zh-Hant"), or "" for -1.
const char* LanguageTag(int language);

}  // namespace recodo::engine
