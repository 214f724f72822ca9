// The conversion of one file into one destination file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/conversion_options.h"
#include "convert/conversion_reporter.h"
#include "convert/growing_buffer.h"
#include "convert/text_pipeline.h"
#include "engine/charset_codes.h"
#include "platform/system_error.h"

namespace recodo {

namespace platform {
class ReadOnlyFile;
class WritableFile;
}  // namespace platform

using ConvertFileResult = std::int32_t;

inline constexpr ConvertFileResult ConvertFileOk = 0;
inline constexpr ConvertFileResult ConvertFileNotWritten = 1;   // the destination could not be created
inline constexpr ConvertFileResult ConvertFileNotRead = 2;      // the source could not be opened or read
inline constexpr ConvertFileResult ConvertFileOutOfMemory = -1;

// Converts files one after another. A run keeps one: its buffers and the
// pipeline are reused from file to file, as fresh memory costs more to
// touch than the conversion itself.
class FileConverter {
 public:
  // Converts sourcePath into destinationPath (which may be the same file).
  // The destination is written under a temporary name beside it and put in
  // place only when complete; whatever fails, the source and an existing
  // destination stay as they were. `lossesOut` receives the number of
  // characters that could not be carried over exactly; a result that lost
  // some never replaces or deletes its source without `allowLossy` (the
  // call then fails with ConvertFileNotWritten, saying why).
  ConvertFileResult ConvertFile(const char16_t* sourcePath, const char16_t* destinationPath,
                                CharsetCode sourceCharset, const char16_t* destinationName,
                                CharsetCode destinationCharset, const ConversionOptions& options,
                                ConversionReporter& reporter, std::uint64_t* sourceSizeOut,
                                std::uint64_t* destinationSizeOut, std::uint64_t* lossesOut = nullptr);

  // The size of the pieces a file is read in; tests make it small.
  void SetPieceSize(std::size_t bytes) { pieceSize_ = bytes < 8 ? 8 : bytes; }

 private:
  enum class Outcome;
  Outcome ConvertInto(platform::ReadOnlyFile& source, std::uint64_t size, platform::WritableFile& target,
                      ConversionReporter& reporter, std::uint64_t* written, platform::ErrorCode* error);

  // Large enough that the system calls cost nothing, small enough that all
  // buffers of a piece (up to about 4.5 times its size) stay near the caches.
  std::size_t pieceSize_ = std::size_t(256) << 10;
  TextPipeline pipeline_;
  GrowingBuffer<std::uint8_t> readBuffer_;
  // Numbers the temporary names this converter tries.
  unsigned temporaryCounter_ = 0;
};

}  // namespace recodo
