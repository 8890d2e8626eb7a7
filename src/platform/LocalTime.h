#pragma once

#include <ctime>

namespace platform {

// Conversions between a point in time and the civil time of the machine's
// time zone (the TZ environment variable, else the system's zone).
//
// On Windows the C runtime's conversions are used, which cover the years
// 1970 to 3000 only: earlier or later points cannot be represented there
// (localTime() returns false, fromLocalTime() -1).

// The local broken-down time of `t`. Returns false and leaves `out` as it
// was when the time cannot be represented (a year beyond the range of int).
[[nodiscard]] bool localTime(std::time_t t, std::tm& out);

// The point in time of the local broken-down time `tm`. A tm_isdst of -1
// lets the zone rules decide whether daylight saving time applies. The fields
// of `tm` are normalised as the C library does (a 13th month is January of
// the next year, a 61st second the first of the next minute) and tm_wday and
// tm_yday are set. Returns -1 when the time cannot be represented; -1 is
// also the point one second before 1970-01-01 00:00:00 UTC, which a caller
// tells apart by the normalised fields.
std::time_t fromLocalTime(std::tm& tm);

// Makes `name` (a TZ value such as "UTC") the time zone of the conversions
// above for the rest of the process, as the TZ environment variable does.
void setProcessTimeZone(const char* name);

}  // namespace platform
