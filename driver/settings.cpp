#include "settings.h"

namespace recodo {

Settings& ProgramSettings() {
  static Settings settings;
  return settings;
}

}  // namespace recodo
