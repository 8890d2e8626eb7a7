#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts the program args[0] with the arguments args[1..] (passed as they
// are, quotes included) and waits for it to end. Returns its exit status, or
// 128 + the signal number when a signal ended it. Throws base::IOError when
// the program cannot be started.
//
// On Windows the arguments are quoted for the command line so that the
// program's C runtime splits them back as given, args[0] without an
// extension in its last name gets ".exe", and the program shares this
// program's console; its exit code is returned as it is.
int runAndWait(const std::vector<std::string>& args);

// Starts the program detached: in a new session, with /dev/null for its
// standard handles, not waited for (on Windows as DetachedProcess does). Throws base::IOError when
// it cannot be started.
void spawnDetached(const std::vector<std::string>& args);

// The running program's process id.
int currentProcessId();

// The id of the process that started this one (0 when the system does not
// know it).
int parentProcessId();

// Starts a child process that ends at once, waits for it and returns its id:
// the id of a process that has ended (for the tests of stale locks). Throws
// base::IOError when no process can be started.
int endedChildProcessId();

// True when a process of id `pid` exists on this machine (it may belong to
// another user). False when no such process is running (on Windows also
// when it has ended while another program still holds a handle to it).
[[nodiscard]] bool processRunning(int pid);

}  // namespace platform
