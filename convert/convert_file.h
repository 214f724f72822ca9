// The conversion of one file into one destination file.
#pragma once

#include <cstddef>

#include "convert/conversion_options.h"
#include "convert/conversion_outcome.h"
#include "convert/converter.h"

namespace recodo {

// Converts files one after another. A run keeps one: its buffers and the
// pipeline are reused from file to file, as fresh memory costs more to
// touch than the conversion itself.
class FileConverter {
 public:
  // Converts sourcePath into destinationPath (which may be the same file):
  // the source is opened once, and its set taken, detected or guessed
  // from what is read through that handle. The destination is written
  // under a temporary name beside it and put in place only when complete;
  // whatever fails, the source and an existing destination stay as they
  // were. A source is never replaced or deleted by a result that lost
  // characters or line breaks (without `allowLossy`), that rests on a weak
  // guess, that is not text, or when the source changed meanwhile. The
  // outcome tells what happened.
  ConvertFileResult ConvertFile(const char16_t* sourcePath, const char16_t* destinationPath,
                                const ConversionOptions& options, ConversionOutcome* outcome,
                                ProgressListener* progress = nullptr);

  // The size of the pieces a file is read in; tests make it small.
  void SetPieceSize(std::size_t bytes) { converter_.SetPieceSize(bytes); }

 private:
  Converter converter_;
  // Numbers the temporary names this converter tries.
  unsigned temporaryCounter_ = 0;
};

// The set the conversion of the file at `path` would read it in; false,
// with the system's reason, when it cannot be opened or read.
bool IdentifyFile(const char16_t* path, bool guess, engine::Identification* identification, platform::ErrorCode* error);

// Why a source must be kept before anything is written: a guess or a file
// that is not text, where the result would replace or delete it
// (`destroysSource`), and a guess of what is not text in any case.
Refusal RefusalBeforeWriting(const ConversionOptions& options, const engine::Identification& source, bool destroysSource);

}  // namespace recodo
