#pragma once

#include <string>
#include <vector>

#include "platform/NativeHandle.h"

namespace platform {

// A program started in the background: in a new session, with /dev/null for
// its standard handles, never waited for. Its exit code can be read later
// without blocking. The process keeps running when this object (or the
// program that started it) ends. Move-only.
//
// On Windows the program gets no console and the null device (NUL) for its
// standard handles; it inherits no other handle. The arguments are quoted
// for the command line so that the program's C runtime splits them back as
// given, and args[0] without an extension in its last name gets ".exe".
class DetachedProcess {
 public:
  // What the system reports for a process that is still active.
  static constexpr int kStillActive = 259;

  // Starts args[0] (a path; not searched in PATH) with the arguments
  // args[1..], each passed exactly as given. On failure pid() is -1 and
  // error() holds the system's error number (errno, or GetLastError() on
  // Windows).
  static DetachedProcess start(const std::vector<std::string>& args);

  DetachedProcess() = default;
  DetachedProcess(DetachedProcess&& other) noexcept;
  DetachedProcess& operator=(DetachedProcess&& other) noexcept;
  DetachedProcess(const DetachedProcess&) = delete;
  DetachedProcess& operator=(const DetachedProcess&) = delete;
  // Lets go of the process without ending it.
  ~DetachedProcess();

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
  int finished_ = -1;                // the exit code once it was collected
  NativeHandle handle_ = kNoHandle;  // the process, where the system hands one out
};

}  // namespace platform
