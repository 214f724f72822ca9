// The switches that shape the conversion of one file, as the run gives them.
#pragma once

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

}  // namespace recodo
