// The conversion of one text, piece by piece: decode to UTF-16, rewrite
// line breaks, drop a leading byte order mark, encode, with a fresh mark in
// front of the first output. Pieces may end anywhere; what the engine's
// result could depend on is carried to the next piece, so the output is
// byte for byte that of converting the whole text at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "convert/declaration_stream.h"
#include "convert/growing_buffer.h"
#include "convert/unit_sink.h"
#include "engine/charset_codes.h"
#include "engine/engine.h"

namespace recodo {

struct PipelineOptions {
  CharsetCode source = CharsetUtf8;
  CharsetCode destination = CharsetUtf8;
  bool writeBom = true;
  bool rewriteLineBreaks = false;
  std::int32_t lineBreakType = 0;  // as TransformNewLineCharacter takes it
  // The declarations to rewrite, and the name to put into them.
  bool rewriteXml = false;
  bool rewriteHtml = false;
  const char16_t* destinationName = u"";
  // Single-byte or UTF-8 to UTF-8, and UTF-8 to single-byte or UTF-16, go
  // straight from bytes to bytes, a cached chunk at a time, when nothing
  // else is rewritten; UTF-16 is read where it lies unless line breaks are.
  // (Off only to compare.)
  bool straight = true;
};

class TextPipeline : private UnitSink {
 public:
  void Start(const PipelineOptions& options);

  // Converts a piece of the source bytes, handing the result to the sink;
  // `last` for the final one. Returns the bytes taken: the rest (a few bytes
  // of a character cut by the end of the piece) must come again at the
  // start of the next piece. False when memory ran out, the declaration
  // rewrite's scratch file failed, or the sink refused.
  bool Convert(const std::uint8_t* bytes, std::size_t length, bool last, std::size_t* taken, ByteSink& sink);
  // After a false from Convert: whether the line-break rewrite or the
  // declaration rewrite ran out, or the scratch file failed (its error).
  bool lineBreaksFailed() const { return lineBreaksFailed_; }
  bool declarationsFailed() const { return declarationsFailed_; }
  bool writeFailed() const { return writeFailed_; }
  platform::ErrorCode spillError() const { return declarations_.spillError(); }
  // Characters of the text so far that could not be carried over exactly:
  // bytes the source set leaves undefined, malformed UTF-8, an odd last
  // byte of UTF-16, and characters the destination set lacks.
  std::uint64_t losses() const { return losses_; }
  // Line breaks of the text so far that a type other than CR LF, LF and CR
  // removed.
  std::uint64_t lineBreaksRemoved() const { return lineBreaksRemoved_; }

 private:
  enum class Straight { None, SingleByteToUtf8, Utf8ToUtf8, Utf8ToSingleByte, Utf8ToUtf16 };

  std::size_t Decode(const std::uint8_t* bytes, std::size_t length, bool last, std::uint16_t* units,
                     std::size_t* taken);
  const std::uint16_t* Utf16InPlace(const std::uint8_t* bytes, std::size_t length, bool last, std::size_t* count,
                                    std::size_t* taken);
  bool ConvertStraight(const std::uint8_t* bytes, std::size_t length, bool last, std::size_t* taken);
  bool Finish(bool last);
  // The last stage: the units of the text in order, encoded and handed on.
  bool Take(const std::uint16_t* units, std::size_t count) override;
  bool EncodeOut(const std::uint16_t* units, std::size_t count);
  std::size_t WriteMark(std::uint8_t* out);
  std::size_t EncodeCounted(const std::uint16_t* units, std::size_t count, std::uint8_t* out);
  bool RecodesToItself(const std::uint8_t* bytes, std::size_t took, const std::uint16_t* units, std::size_t count,
                       bool substituted);
  std::size_t Encode(const std::uint16_t* units, std::size_t count, std::uint8_t* out);
  std::uint64_t SingleByteLosses(const std::uint8_t* bytes, std::size_t length) const;
  std::uint64_t EncodingLosses(const std::uint16_t* units, std::size_t count, const std::uint8_t* out,
                               std::uint64_t* standIns) const;
  void CountDecoded(std::uint64_t substitutions);
  void CountStandIns(std::uint64_t marks);

  PipelineOptions options_;
  Straight straight_ = Straight::None;
  engine::Utf8Forms utf8Forms_{};  // of the source set, for SingleByteToUtf8
  bool started_ = false;      // the first output (and its mark) is out
  bool markLooked_ = false;   // the text's first unit has been seen
  std::uint16_t carriedCR_ = 0;  // held back for the next piece: it may start CR LF
  std::uint16_t heldHigh_ = 0;   // a high surrogate whose other half may come next
  ByteSink* sink_ = nullptr;     // of the piece being converted
  GrowingBuffer<std::uint16_t> decoded_;
  GrowingBuffer<std::uint16_t> rewritten_;
  GrowingBuffer<std::uint8_t> output_;
  bool lineBreaksFailed_ = false;
  bool declarationsFailed_ = false;
  bool writeFailed_ = false;
  std::uint64_t losses_ = 0;
  std::uint64_t lineBreaksRemoved_ = 0;
  // The source set's upper bytes that decode to no character of their own
  // (U+FFFF, or U+0000 in a set that maps several bytes there).
  bool lossyUpper_[128] = {};
  bool decodesToNul_ = false;
  std::uint8_t undefinedMark_ = '?';  // what U+FFFF becomes in the destination set
  std::uint64_t standInsPending_ = 0;  // U+FFFD and U+FFFF the decoder wrote for losses it counted
  engine::TextDecoding multiDecoding_;  // UTF-32's and the East Asian sets'
  engine::TextEncoding multiEncoding_;
  DeclarationStream declarations_;
};

}  // namespace recodo
