#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace platform {

// A started program. Move-only; unless it was released or waited for, the
// destructor ends the program (SIGTERM) and reaps it.
class ChildProcess {
 public:
  struct Options {
    bool searchPath = false;  // look args[0] up in PATH when it has no "/"
    bool newSession = false;  // detach from the terminal's session
    bool nullInput = false;   // standard input from /dev/null
    bool nullOutput = false;  // standard output and error to /dev/null
  };

  // Starts args[0] with the arguments args[1..]. Throws base::IOError when
  // the program cannot be started (missing, not executable, not a program).
  static ChildProcess start(const std::vector<std::string>& args, const Options& options);

  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Waits for the end: the exit status, or 128 + the signal number.
  int wait();
  // Ends the program if it still runs, and reaps it.
  void terminate();
  // Forgets the program: it runs on and is not waited for.
  void release();

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_ = -1;
};

}  // namespace platform
