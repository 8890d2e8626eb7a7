#include "platform/LocalTime.h"

#include <time.h>

namespace platform {

bool localTime(std::time_t t, std::tm& out) {
  std::tm result{};
  if (::localtime_s(&result, &t) != 0) return false;
  out = result;
  return true;
}

std::time_t fromLocalTime(std::tm& tm) { return ::mktime(&tm); }

}  // namespace platform
