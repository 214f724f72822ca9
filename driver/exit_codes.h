// The program's exit codes.
#pragma once

namespace recodo {

inline constexpr int kExitSuccess = 0;
// The last file that failed could not be written, or was refused.
inline constexpr int kExitNotWritten = 1;
// The last file that failed could not be read.
inline constexpr int kExitNotRead = 2;
// The source is a directory; or standard input with /replace, /move or a
// directory as destination.
inline constexpr int kExitSourceIsDirectory = 3;
inline constexpr int kExitWildcardDestination = 4;
inline constexpr int kExitFileForManySources = 5;
inline constexpr int kExitUnknownCharset = 6;
// Out of memory; also after the usage window or a cancelled dialog.
inline constexpr int kExitHelpOrCancel = -1;

}  // namespace recodo
