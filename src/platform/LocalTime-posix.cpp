#include <stdlib.h>
#include <time.h>

#include "platform/LocalTime.h"

namespace platform {

bool localTime(std::time_t t, std::tm& out) {
  std::tm result{};
  if (::localtime_r(&t, &result) == nullptr) return false;
  out = result;
  return true;
}

std::time_t fromLocalTime(std::tm& tm) { return ::mktime(&tm); }

void setProcessTimeZone(const char* name) {
  ::setenv("TZ", name, 1);
  ::tzset();
}

}  // namespace platform
