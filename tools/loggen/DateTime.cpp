// The members of DateTime (declared in LogGenerator.h): civil dates of the
// proleptic Gregorian calendar, without a time zone.
#include <cstdio>
#include <string>

#include "tools/loggen/LogGenerator.h"

namespace tools::loggen {
namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int32_t daysInMonth(int32_t y, int32_t m) {
  static constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

}  // namespace

bool DateTime::valid() const {
  return year >= 1970 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
         minute <= 59 && second >= 0 && second <= 59 && millis >= 0 && millis <= 999;
}

int64_t DateTime::toSeconds() const {
  return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

DateTime DateTime::fromSeconds(int64_t s, int32_t ms) {
  int64_t days = s / 86400;
  int64_t rest = s % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Inverse of daysFromCivil.
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  DateTime d;
  d.day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  d.month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  d.year = static_cast<int32_t>(yoe + era * 400 + (d.month <= 2));
  d.hour = static_cast<int32_t>(rest / 3600);
  d.minute = static_cast<int32_t>(rest / 60 % 60);
  d.second = static_cast<int32_t>(rest % 60);
  d.millis = ms;
  return d;
}

std::string DateTime::logText() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d.%02d.%02d.%02d.%02d.%02d.%03d", year, month, day, hour,
                minute, second, millis);
  return buf;
}

std::string DateTime::fileText() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d_%02d-%02d-%02d", year, month, day, hour, minute,
                second);
  return buf;
}

}  // namespace tools::loggen
