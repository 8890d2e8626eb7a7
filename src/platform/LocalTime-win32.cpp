#include <stdlib.h>
#include <time.h>

#include "platform/LocalTime.h"

namespace platform {

bool localTime(std::time_t t, std::tm& out) {
  std::tm result{};
  if (::localtime_s(&result, &t) != 0) return false;
  out = result;
  return true;
}

std::time_t fromLocalTime(std::tm& tm) { return ::mktime(&tm); }

// The C runtime reads its zone from its own copy of the environment.
void setProcessTimeZone(const char* name) {
  ::_putenv_s("TZ", name);
  ::_tzset();
}

}  // namespace platform
