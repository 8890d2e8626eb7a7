#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/DetachedProcess.h"

extern char** environ;

namespace platform {

DetachedProcess DetachedProcess::start(const std::vector<std::string>& args) {
  DetachedProcess p;
  if (args.empty() || args[0].empty()) {
    p.error_ = ENOENT;
    return p;
  }
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::fflush(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, args[0].c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    p.error_ = rc;
    return p;
  }
  p.pid_ = static_cast<int>(pid);
  return p;
}

DetachedProcess::DetachedProcess(DetachedProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      error_(other.error_),
      finished_(std::exchange(other.finished_, -1)),
      handle_(std::exchange(other.handle_, kNoHandle)) {}

DetachedProcess& DetachedProcess::operator=(DetachedProcess&& other) noexcept {
  pid_ = std::exchange(other.pid_, -1);
  error_ = other.error_;
  finished_ = std::exchange(other.finished_, -1);
  handle_ = std::exchange(other.handle_, kNoHandle);  // none here: a process id is enough
  return *this;
}

// The process is reaped by exitCode() or, once this program ends, by the
// system.
DetachedProcess::~DetachedProcess() = default;

bool DetachedProcess::exitCode(int* code, int* error) {
  if (finished_ >= 0) {
    *code = finished_;
    return true;
  }
  if (pid_ <= 0) {
    *error = ESRCH;
    return false;
  }
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid_, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r < 0) {
    *error = errno;
    return false;
  }
  if (r == 0) {
    *code = kStillActive;
    return true;
  }
  finished_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  *code = finished_;
  return true;
}

}  // namespace platform
