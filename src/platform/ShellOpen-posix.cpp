#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/ShellOpen.h"
#include "platform/SpawnSetup.h"

extern char** environ;

namespace platform {

bool shellOpen(const std::string& target, std::string* error) {
  detail::SpawnSetup s;
  posix_spawnattr_setflags(&s.attr, POSIX_SPAWN_SETSID);
  posix_spawn_file_actions_addopen(&s.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&s.actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&s.actions, 2, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  std::string argument = target;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program.c_str(), &s.actions, &s.attr, argv, environ);
  if (rc != 0) {
    if (error != nullptr) *error = std::strerror(rc);
    return false;
  }
  // Not waited for; reaped here only if it has ended already.
  int status = 0;
  ::waitpid(pid, &status, WNOHANG);
  return true;
}

}  // namespace platform
