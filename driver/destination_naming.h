// The destination path of one source file.
#pragma once

#include <string>

#include "settings.h"

namespace recodo {

// True when two directory paths name the same directory: spelled alike
// (ignoring ASCII case), or one directory reached two ways.
bool SameDirectory(const char16_t* a, const char16_t* b);

// The name a result takes beside its source: the name of the destination
// set before the extension (report.utf-8.txt, README.utf-8).
std::u16string AutomaticName(const char16_t* fileName, const char16_t* setName);

// With `replaceSource` the source itself; otherwise the destination
// directory joined with the source's name, and `beside` the source (in its
// own directory) the name of the destination set before the extension
// (report.utf-8.txt). False when the path would not fit its buffer.
bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* destinationDirectory,
                     bool beside, char16_t (&destination)[kPathCapacity]);

}  // namespace recodo
