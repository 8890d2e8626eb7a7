#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The running processes of the machine, as the uploader's stuck-uploader
// recovery needs them: a list of process ids with their executables, and a
// way to end one of them.
namespace platform {

struct ProcessEntry {
  int pid = 0;
  // The executable's full path ("" when it cannot be read, for example for
  // another user's process).
  std::string executable;
};

// A process opened for termination.
class ProcessHandle {
 public:
  virtual ~ProcessHandle() = default;
  // Ends the process and waits (a few seconds at most) until it is gone, so
  // that what it held (sockets, ports) is free afterwards. False when the
  // process could not be ended.
  [[nodiscard]] virtual bool terminate() = 0;
};

class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  // Every process that can be seen; none when the list cannot be read.
  virtual std::optional<std::vector<ProcessEntry>> list() = 0;
  virtual int ownPid() = 0;
  // The running program's own executable path.
  virtual std::string ownExecutable() = 0;
  // Opens a process for termination; nullptr when that fails.
  virtual std::unique_ptr<ProcessHandle> open(int pid) = 0;
};

// The system's process table (read from /proc on Linux; a snapshot of the
// system's process list on Windows).
ProcessTable& systemProcessTable();

}  // namespace platform
