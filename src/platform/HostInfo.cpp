#include "platform/HostInfo.h"

#include <cstdlib>

#include <sys/utsname.h>

#include "platform/LocalTime.h"

namespace platform {

std::optional<KernelInfo> kernelInfo() {
  utsname u;
  if (::uname(&u) != 0) return std::nullopt;
  KernelInfo k;
  k.systemName = u.sysname;
  k.release = u.release;
  char* end = nullptr;
  k.major = static_cast<int>(std::strtol(u.release, &end, 10));
  if (end != nullptr && *end == '.') k.minor = static_cast<int>(std::strtol(end + 1, nullptr, 10));
  return k;
}

LocalDate localDate(int64_t millis) {
  time_t t = static_cast<time_t>(millis / 1000);
  std::tm tm{};
  LocalDate d;
  if (!localTime(t, tm)) return d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  return d;
}

}  // namespace platform
