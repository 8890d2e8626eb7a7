#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace util {

// The trace log of the statistics generator: a process-wide, leveled line
// log written to standard output, to the trace file "VardoDebug.txt", to both
// or nowhere. A line of severity s is written when the level is at least s.
// Debug never throws; its own failures are reported on standard output.
class Debug {
 public:
  enum Type : int32_t { kStdOut = 0, kFile = 1, kBoth = 2, kNone = 3 };

  static constexpr const char* kFileName = "VardoDebug.txt";
  // A trace file longer than this is started afresh when opened.
  static constexpr int64_t kMaxFileSize = 1000000;

  static void print(std::string_view text, int32_t severity);
  // A negative level is ignored.
  static void setLevel(int32_t l);
  // "StdOut", "File", "Both" or "None" in any letter case; any other name
  // changes nothing. "File" and "Both" open the trace file in `dir`.
  static void setType(std::string_view tp, const std::string& dir);
  // Opens the trace file in `dir` ("./" when `dir` is not a directory);
  // does nothing when one is open already.
  static void open(const std::string& dir);
  static void close();

  static int32_t level();
  static int32_t type();
  static bool isOpen();
  // Back to the initial state (level 0, standard output, no file): for tests.
  static void reset();
};

}  // namespace util
