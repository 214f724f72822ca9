// What the conversion of each file takes from a run's settings.
#pragma once

#include "convert/conversion_options.h"
#include "settings.h"

namespace recodo {

ConversionOptions ConversionOptionsOf(const Settings& settings);

}  // namespace recodo
