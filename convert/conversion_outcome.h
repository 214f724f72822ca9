// What became of one conversion: the one record the driver prints from and
// the dialog shows.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "platform/system_error.h"

namespace recodo {

using ConvertFileResult = std::int32_t;

inline constexpr ConvertFileResult ConvertFileOk = 0;
inline constexpr ConvertFileResult ConvertFileNotWritten = 1;   // the destination could not be created, or was refused
inline constexpr ConvertFileResult ConvertFileNotRead = 2;      // the source could not be opened or read
inline constexpr ConvertFileResult ConvertFileOutOfMemory = -1;

// Why a source was kept as it was (or, after a /move, beside its result).
enum class Refusal {
  None,
  Lossy,              // characters could not be converted exactly
  LineBreaksRemoved,  // an unknown line-break type removed them
  WeakGuess,          // the set is a guess below the confidence that may destroy a source
  ReadsAsAnother,     // detection only fell back, and the guess does not bear it out
  NotText,            // zero bytes or control characters: no text
  SourceChanged,      // it changed, or another file took its name, while it was converted
  NotDeleted,         // after a /move, the source could not be deleted
};

// Which step ran out of memory, for the ones that word it.
enum class MemoryStep { Quiet, LineBreaks, Declarations };

struct ConversionOutcome {
  ConvertFileResult result = ConvertFileOk;
  // The system's reason for a failed read, write or rename; 0 for none.
  platform::ErrorCode error = 0;
  // Where it failed, as a user names it: a quoted path (the source, the
  // destination, its folder) or the folder for scratch files. Empty for
  // the standard streams.
  std::u16string errorPlace;
  Refusal refusal = Refusal::None;
  MemoryStep memoryStep = MemoryStep::Quiet;
  // The set the source was read in, and how sure that is.
  engine::Identification source;
  std::uint64_t bytesIn = 0;
  std::uint64_t bytesOut = 0;
  std::uint64_t losses = 0;             // characters not carried over exactly
  std::uint64_t lineBreaksRemoved = 0;  // by an unknown line-break type
  // The result is in its place (a kept source may be beside it).
  bool placed = false;
  // Stopped at the user's request: nothing was written.
  bool cancelled = false;
};

}  // namespace recodo
