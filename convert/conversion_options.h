// The switches that shape the conversion of one file, as the run gives them.
#pragma once

#include "convert/text_pipeline.h"
#include "engine/charset_codes.h"

namespace recodo {

struct ConversionOptions {
  bool writeBom = true;
  // Null: line breaks stay as they are; "dos", "unix" or "mac" (ASCII case
  // ignored) rewrite them; any other name removes them.
  const char16_t* lineBreakName = nullptr;
  bool rewriteXml = false;   // the encoding of an XML declaration
  bool rewriteHtml = false;  // the charset of an HTML meta tag
  bool replaceSource = false;
  bool moveSource = false;
  // Replace or delete the source even when characters were lost.
  bool allowLossy = false;
  // Give the result the source's access list, its owner, or both.
  bool keepDacl = false;
  bool keepOwner = false;
};

// What the pipeline takes for one text of these switches; the declaration
// rewrite puts `destinationName` into the text.
PipelineOptions PipelineOptionsFor(const ConversionOptions& switches, CharsetCode source, CharsetCode destination,
                                   const char16_t* destinationName);

}  // namespace recodo
