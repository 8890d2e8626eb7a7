#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HostInfo.h"
#include "uploader/Output.h"

namespace uploader {

// The uploader's view of the log directory: the files with a given suffix,
// the old-log check, and the clean-up of stale ".tmp" files and empty logs.
class LogDirectory {
 public:
  struct Entry {
    std::string name;
    int64_t size = 0;
    int64_t modifiedMillis = 0;
  };

  // `dir` is the log directory with its separator already appended (or
  // empty for the current directory). `remove` deletes a file (a test may
  // make it fail).
  LogDirectory(std::string dir, std::function<bool(const std::string&)> remove);

  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + name; }
  // The wildcard pattern the messages show, such as "logs/*.log".
  std::string pattern(std::string_view suffix) const { return dir_ + "*" + std::string(suffix); }

  // The regular files whose names end with `suffix` (case-sensitive), in the
  // listing's order; none when the directory cannot be listed.
  std::optional<std::vector<Entry>> find(std::string_view suffix) const;

  // The old-log check: true when a "*.log" is old at `nowMillis`. Prints the
  // E34 line for the old log found, and, when `reportNone`, a line when no
  // log matches.
  bool hasOldLog(int64_t nowMillis, Output& out, bool reportNone) const;
  // Deletes ".tmp" files more than one day old by the calendar of `today`.
  void deleteOldTmp(const platform::LocalDate& today, Output& out) const;
  // Deletes the empty "*.log" files.
  void deleteEmptyLogs(Output& out) const;

  // A wall-clock time as 100-ns intervals since 1601-01-01 UTC.
  static uint64_t fileTime(int64_t unixMillis);
  // How old a file is by the old-log rule: the difference of the high 32
  // bits of the two file times (unsigned), times 6.95 in single precision.
  // A log is old when this exceeds 120.
  static float oldness(uint64_t nowFileTime, uint64_t fileFileTime);
  static constexpr float kOldThreshold = 120.0f;
  // Age in days with every year 365 days long and February 28 days long.
  static int tmpAgeDays(const platform::LocalDate& now, const platform::LocalDate& file);

 private:
  std::string dir_;
  std::function<bool(const std::string&)> remove_;
};

}  // namespace uploader
