// The destination path of one source file.
#pragma once

#include "settings.h"

namespace recodo {

// With `replaceSource` the source itself; otherwise the destination
// directory joined with the source's name, and beside the source the name
// of the destination set before the extension (report.utf-8.txt). False
// when the path would not fit its buffer.
bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* sourceDirectory,
                     const char16_t* destinationDirectory, char16_t (&destination)[kPathCapacity]);

}  // namespace recodo
