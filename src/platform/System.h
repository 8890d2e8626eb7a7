#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The operating-system name the programs see: "Linux", or "Windows".
std::string osName();
// The installation home: the folder of the running executable. Paths are as
// in FileSystem.h.
std::string installationHome();

// For tests: while it lives, installationHome() gives `dir` instead, so that
// a run on Windows (which works in its installation home) works in a test's
// folder. Not for concurrent use.
class ScopedInstallationHome {
 public:
  explicit ScopedInstallationHome(std::string dir);
  ScopedInstallationHome(const ScopedInstallationHome&) = delete;
  ScopedInstallationHome& operator=(const ScopedInstallationHome&) = delete;
  ~ScopedInstallationHome();

 private:
  std::optional<std::string> previous_;
};

namespace detail {
// The folder of the running executable.
std::string executableFolder();
}  // namespace detail
// The working directory.
std::string workingDirectory();

// The platform's default textual form of a date in local time, for example
// "Wed Dec 09 06:10:59 UTC 2026".
std::string defaultDateText(int64_t millis);

// The thousands separator, group size and decimal sign of the platform's
// default number format (taken from the environment's locale; no grouping and
// "." in the "C" locale).
struct NumberGrouping {
  char separator = 0;  // 0: no grouping
  int size = 3;
  char decimal = '.';
};
NumberGrouping defaultNumberGrouping();

}  // namespace platform
