// Every choice that shapes a run, from the command line or the dialog. Plain
// data: the option parser and the dialog fill it before any file is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/unit_text.h"
#include "engine/charset_codes.h"
#include "platform/paths.h"

namespace recodo {

using platform::kPathCapacity;

struct Settings {
  bool writeBom = true;
  CharsetCode sourceCharset = CharsetWindows1252;  // what "ansi" resolves to
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
  // A recursive run into an "/output=" folder mirrors the source tree there.
  bool keepTree = false;
  bool uiMode = false;
  std::int32_t logLevel = 0;
  char16_t sourcePath[kPathCapacity] = {};
  char16_t outputPath[kPathCapacity] = {};
  const char16_t* lineBreakName = nullptr;  // null: line breaks stay as they are

  // Read by the driver only.
  bool stopOnError = false;
  bool noConsole = false;
  bool silent = false;  // "/silent": not even a word that the log could not be opened
  bool messagesOnErrorStream = false;  // the converted text takes standard output
  bool detectSource = true;
  // "/guess": where detection would fall back to Windows-1252, the set the
  // text reads best in; "/guess-only": report that per file, convert nothing.
  bool guessSource = false;
  bool guessOnly = false;
  bool ownerFromPrefix = false;
  // Sources after the first, in command-line order (Linux, where the shell
  // expands a pattern into several files).
  std::vector<std::u16string> moreSources;
  char16_t translationTablePath[kPathCapacity] = u"user-to-account.csv";
  char16_t logPath[kPathCapacity] = {};
};

// The program-wide record.
Settings& ProgramSettings();

}  // namespace recodo
