#include "platform/HostInfo.h"

#include <ctime>

#include "platform/LocalTime.h"

namespace platform {

LocalDate localDate(int64_t millis) {
  std::time_t t = static_cast<std::time_t>(millis / 1000);
  std::tm tm{};
  LocalDate d;
  if (!localTime(t, tm)) return d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  return d;
}

}  // namespace platform
