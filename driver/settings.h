// Every choice that shapes a run, from the command line or the dialog. Plain
// data: the option parser and the dialog fill it before any file is touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/charset_codes.h"

namespace recodo {

// Path buffers, in UTF-16 units with the terminator. POSIX paths may be far
// longer than Windows' classic limit.
#if defined(_WIN32)
inline constexpr std::size_t kPathCapacity = 260;
#else
inline constexpr std::size_t kPathCapacity = 4096;
#endif

struct Settings {
  bool writeBom = true;
  CharsetCode sourceCharset = 18;  // what "ansi" resolves to
  CharsetCode destCharset = CharsetUtf8;
  // Not owned: into the command-line text, a catalogue row or a constant.
  const char16_t* sourceCharsetName = u"ansi";
  const char16_t* destCharsetName = u"utf-8";
  bool noMessageBox = false;
  bool modifyXmlHeader = false;
  bool modifyHtmlMeta = false;
  bool replaceSource = false;
  bool moveSource = false;
  // "/replace" and "/move" go ahead even when characters were lost.
  bool allowLossy = false;
  bool keepSecurity = false;  // set by either of the next two
  bool keepDacl = false;
  bool keepOwner = false;
  bool recursive = false;
  bool uiMode = false;
  std::int32_t logLevel = 0;
  char16_t sourcePath[kPathCapacity] = {};
  char16_t outputPath[kPathCapacity] = {};
  const char16_t* lineBreakName = nullptr;  // null: line breaks stay as they are

  // Read by the driver only.
  bool stopOnError = false;
  bool noConsole = false;
  bool silent = false;  // "/silent": not even a word that the log could not be opened
  bool detectSource = true;
  // "/guess": where detection would fall back to Windows-1252, the set the
  // text reads best in; "/guess-only": report that per file, convert nothing.
  bool guessSource = false;
  bool guessOnly = false;
  bool ownerFromPrefix = false;
  char16_t translationTablePath[kPathCapacity] = u"user-to-account.csv";
  char16_t logPath[kPathCapacity] = {};
};

// The program-wide record.
Settings& ProgramSettings();

// Copies a NUL-terminated text into a path buffer; false (and the buffer
// left as it was) when it would not fit with its terminator.
bool CopyPath(char16_t (&buffer)[kPathCapacity], const char16_t* text);

}  // namespace recodo
