// What the conversion of each file takes from a run's settings, every name
// resolved once.
#pragma once

#include <cstdint>

#include "convert/conversion_options.h"
#include "settings.h"

namespace recodo {

// The line-break type a name stands for: "dos", "unix" and "mac" ignoring
// ASCII case, and the names other tools use ("crlf" and "windows", "lf" and
// "linux", "cr"). False, with the type that removes line breaks, for any
// other name.
bool LineBreakTypeOf(const char16_t* name, std::int32_t* type);

ConversionOptions ConversionOptionsOf(const Settings& settings);

}  // namespace recodo
