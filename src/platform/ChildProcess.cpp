#include "platform/ChildProcess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/SpawnSetup.h"

extern char** environ;

namespace platform {
namespace {

using detail::SpawnSetup;

int statusOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

ChildProcess ChildProcess::start(const std::vector<std::string>& args, const Options& options) {
  if (args.empty() || args[0].empty()) throw base::IOError("Cannot run program \"\"");
  SpawnSetup s;
  if (options.newSession) posix_spawnattr_setflags(&s.attr, POSIX_SPAWN_SETSID);
  if (options.nullInput) posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0);
  if (options.nullOutput) {
    posix_spawn_file_actions_addopen(&s.actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&s.actions, 2, "/dev/null", O_WRONLY, 0);
  }
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  pid_t pid = 0;
  // posix_spawnp would run a file that is not a program through the shell;
  // a path with "/" is therefore always started with posix_spawn.
  bool search = options.searchPath && args[0].find('/') == std::string::npos;
  int rc = search ? posix_spawnp(&pid, args[0].c_str(), &s.actions, &s.attr, argv.data(), environ)
                  : posix_spawn(&pid, args[0].c_str(), &s.actions, &s.attr, argv.data(), environ);
  if (rc != 0) throw base::IOError("Cannot run program \"" + args[0] + "\": " + std::strerror(rc));
  return ChildProcess(pid);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_) { other.pid_ = -1; }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    terminate();
    pid_ = other.pid_;
    other.pid_ = -1;
  }
  return *this;
}

ChildProcess::~ChildProcess() { terminate(); }

int ChildProcess::wait() {
  if (pid_ < 0) return -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) {
      pid_ = -1;
      return -1;
    }
  }
  pid_ = -1;
  return statusOf(status);
}

void ChildProcess::terminate() {
  if (pid_ < 0) return;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == 0) {
    ::kill(pid_, SIGTERM);
    wait();
  }
  pid_ = -1;
}

void ChildProcess::release() {
  if (pid_ < 0) return;
  int status = 0;
  ::waitpid(pid_, &status, WNOHANG);  // reaped now if it has already ended
  pid_ = -1;
}

}  // namespace platform
