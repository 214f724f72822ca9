// Turning the character-set names of a run into codes, with the lines the
// run prints about them.
#pragma once

#include <string>

#include "settings.h"

namespace recodo {

// Resolves the destination name and, unless the source is detected per
// file, the source name, replacing each by the catalogue's spelling. Appends
// the lines to print to `out`. Returns 0, or 6 for a name the catalogue
// lacks (after its "Error 6" message, which has no line break).
int ResolveCharsets(Settings& settings, std::u16string& out);

}  // namespace recodo
