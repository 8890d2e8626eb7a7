#pragma once

// What the programs learn about the machine they run on: the system's name
// and version, and the local calendar.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The running system's name and kernel version.
struct KernelInfo {
  std::string systemName;  // for example "Linux"
  std::string release;     // the kernel release text, for example "6.1.0-18-amd64"
  int major = 0;
  int minor = 0;
};

// None when the version data cannot be read.
std::optional<KernelInfo> kernelInfo();

// This machine's host name; none when it cannot be had.
std::optional<std::string> hostName();

// A calendar date in the local time zone.
struct LocalDate {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
};

// The local calendar date of a wall-clock time (milliseconds since 1970).
LocalDate localDate(int64_t millis);

}  // namespace platform
