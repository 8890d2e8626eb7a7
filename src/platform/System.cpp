#include "platform/System.h"

#include <ctime>

#include "platform/LocalTime.h"

namespace platform {

std::string defaultDateText(int64_t millis) {
  time_t t = static_cast<time_t>(millis / 1000);
  std::tm tm{};
  if (!localTime(t, tm)) return std::to_string(millis);
  char buf[128];
  size_t n = std::strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Z %Y", &tm);
  return std::string(buf, n);
}

}  // namespace platform
