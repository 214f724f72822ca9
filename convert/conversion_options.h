// Every choice that shapes the conversion of one source, resolved: sets by
// code, the line-break type by number. The driver and the dialog fill it
// once from their settings.
#pragma once

#include <cstdint>

#include "convert/text_pipeline.h"
#include "engine/charset_codes.h"

namespace recodo {

// Where the source's set comes from: the options, detection, or detection
// with the guess where detection only falls back.
enum class SourceSetChoice { Given, Detected, Guessed };

struct ConversionOptions {
  SourceSetChoice sourceChoice = SourceSetChoice::Detected;
  CharsetCode sourceSet = CharsetWindows1252;  // with Given
  CharsetCode destinationSet = CharsetUtf8;
  // The name rewritten declarations give the destination set.
  const char16_t* destinationName = u"utf-8";
  bool writeBom = true;
  bool rewriteLineBreaks = false;
  // As TransformNewLineCharacter takes it: 1 CR LF, 2 LF, 3 CR; any other
  // value removes line breaks.
  std::int32_t lineBreakType = 0;
  bool rewriteXml = false;   // the encoding of an XML declaration
  bool rewriteHtml = false;  // the charset of an HTML meta tag
  bool replaceSource = false;
  bool moveSource = false;
  // Replace or delete the source even when characters or line breaks were
  // lost.
  bool allowLossy = false;
  // Give the result the source's access list, its owner, or both.
  bool keepDacl = false;
  bool keepOwner = false;
};

// Line breaks are removed, not rewritten: a loss like any other.
inline bool RemovesLineBreaks(const ConversionOptions& options) {
  return options.rewriteLineBreaks && (options.lineBreakType < 1 || options.lineBreakType > 3);
}

// What the pipeline takes for a source read in `source`.
PipelineOptions PipelineOptionsFor(const ConversionOptions& options, CharsetCode source);

}  // namespace recodo
