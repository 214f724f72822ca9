#include "platform/local_time.h"

namespace recodo::platform {

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  localtime_s(&local, &when);
  return local;
}

}  // namespace recodo::platform
