// The destination path of one source file.
#pragma once

#include "settings.h"

namespace recodo {

// True when two directory paths name the same directory: spelled alike
// (ignoring ASCII case), or one directory reached two ways.
bool SameDirectory(const char16_t* a, const char16_t* b);

// With `replaceSource` the source itself; otherwise the destination
// directory joined with the source's name, and `beside` the source (in its
// own directory) the name of the destination set before the extension
// (report.utf-8.txt). False when the path would not fit its buffer.
bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* destinationDirectory,
                     bool beside, char16_t (&destination)[kPathCapacity]);

}  // namespace recodo
