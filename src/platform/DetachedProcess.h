#pragma once

#include <string>
#include <vector>

namespace platform {

// A program started in the background: in a new session, with /dev/null for
// its standard handles, never waited for. Its exit code can be read later
// without blocking. The process keeps running when this object (or the
// program that started it) ends.
class DetachedProcess {
 public:
  // What the system reports for a process that is still active.
  static constexpr int kStillActive = 259;

  // Starts args[0] (a path; not searched in PATH) with the arguments
  // args[1..], each passed exactly as given. On failure pid() is -1 and
  // error() holds the system's error number.
  static DetachedProcess start(const std::vector<std::string>& args);

  int pid() const { return pid_; }
  int error() const { return error_; }

  // The exit code without waiting: kStillActive while the process runs, the
  // exit status once it ended (128 + the signal number when a signal ended
  // it). False, with the system's error number in *error, when the state
  // cannot be read.
  [[nodiscard]] bool exitCode(int* code, int* error);

 private:
  int pid_ = -1;
  int error_ = 0;
  int finished_ = -1;  // the exit code once it was collected
};

}  // namespace platform
