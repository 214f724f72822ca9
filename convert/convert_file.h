// The conversion of one file into one destination file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/charset_codes.h"

namespace recodo {

using ConvertFileResult = std::int32_t;

inline constexpr ConvertFileResult ConvertFileOk = 0;
inline constexpr ConvertFileResult ConvertFileNotWritten = 1;   // the destination could not be created
inline constexpr ConvertFileResult ConvertFileNotRead = 2;      // the source could not be opened or read
inline constexpr ConvertFileResult ConvertFileOutOfMemory = -1;

// Converts sourcePath into destinationPath (which may be the same file) with
// the program's settings. The destination is written under a temporary name
// beside it and put in place only when complete; whatever fails, the source
// and an existing destination stay as they were. `lossesOut` receives the
// number of characters that could not be carried over exactly; a result
// that lost some never replaces or deletes its source without "/lossy"
// (the call then fails with ConvertFileNotWritten, saying why).
ConvertFileResult ConvertFile(const char16_t* sourcePath, const char16_t* destinationPath, CharsetCode sourceCharset,
                              const char16_t* destinationName, CharsetCode destinationCharset,
                              std::uint64_t* sourceSizeOut, std::uint64_t* destinationSizeOut,
                              std::uint64_t* lossesOut = nullptr);

// The size of the pieces a file is read in; tests make it small.
void SetConversionPieceSize(std::size_t bytes);

}  // namespace recodo
