#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/Process.h"
#include "platform/SpawnSetup.h"

extern char** environ;

namespace platform {
namespace {

using detail::SpawnSetup;

std::vector<char*> argvOf(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

pid_t start(const std::vector<std::string>& args, bool detached) {
  if (args.empty() || args[0].empty()) throw base::IOError("Cannot run program \"\"");
  SpawnSetup s;
  if (detached) {
    posix_spawnattr_setflags(&s.attr, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&s.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&s.actions, 2, "/dev/null", O_WRONLY, 0);
  }
  auto argv = argvOf(args);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, args[0].c_str(), &s.actions, &s.attr, argv.data(), environ);
  if (rc != 0) throw base::IOError("Cannot run program \"" + args[0] + "\": " + std::strerror(rc));
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw base::IOError(std::string("waitpid: ") + std::strerror(errno));
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

int runAndWait(const std::vector<std::string>& args) {
  std::fflush(nullptr);
  return waitFor(start(args, false));
}

void spawnDetached(const std::vector<std::string>& args) {
  std::fflush(nullptr);
  pid_t pid = start(args, true);
  // Not waited for: reap it only if it has already ended. Once this process
  // exits, the child is adopted and reaped by the system.
  int status = 0;
  ::waitpid(pid, &status, WNOHANG);
}

int currentProcessId() { return static_cast<int>(::getpid()); }

int parentProcessId() { return static_cast<int>(::getppid()); }

int endedChildProcessId() {
  const pid_t child = ::fork();
  if (child < 0)
    throw base::IOError(std::string("cannot start a process: ") + std::strerror(errno));
  if (child == 0) ::_exit(0);
  while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return static_cast<int>(child);
}

bool processRunning(int pid) {
  if (pid <= 0) return false;
  // Signal 0 only checks: EPERM means the process exists under another user.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace platform
