#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/Clock.h"
#include "platform/ProcessTable.h"

namespace platform {
namespace {

std::string readLink(const std::string& path) {
  char buf[PATH_MAX];
  ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
  if (n <= 0) return "";
  return std::string(buf, static_cast<size_t>(n));
}

bool isNumber(const char* s) {
  if (*s == '\0') return false;
  for (; *s != '\0'; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

// True while /proc shows the process and it is not a zombie.
bool alive(int pid) {
  std::string stat = "/proc/" + std::to_string(pid) + "/stat";
  std::FILE* f = std::fopen(stat.c_str(), "r");
  if (f == nullptr) return false;
  char buf[512];
  size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  buf[n] = '\0';
  // The state follows the command name, which is in parentheses.
  const char* close = std::strrchr(buf, ')');
  return close == nullptr || close[1] == '\0' || close[2] != 'Z';
}

// Holds a process file descriptor when the kernel offers them (so that a
// reused process id is never hit), else only the id.
class SystemHandle : public ProcessHandle {
 public:
  SystemHandle(int pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
  SystemHandle(const SystemHandle&) = delete;
  SystemHandle& operator=(const SystemHandle&) = delete;
  ~SystemHandle() override {
    if (pidfd_ >= 0) ::close(pidfd_);
  }

  bool terminate() override {
    int rc = pidfd_ >= 0
                 ? static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0))
                 : ::kill(pid_, SIGKILL);
    if (rc != 0) return false;
    // The kill is carried out asynchronously; wait until the process is
    // gone (at most ten seconds).
    for (int i = 0; i < 1000; ++i) {
      if (pidfd_ >= 0) {
        pollfd p{pidfd_, POLLIN, 0};
        if (::poll(&p, 1, 10) == 1 && !alive(pid_)) return true;
      } else {
        if (!alive(pid_)) return true;
        clock().sleepMillis(10);
      }
    }
    return !alive(pid_);
  }

 private:
  int pid_;
  int pidfd_;
};

class SystemProcessTable : public ProcessTable {
 public:
  std::optional<std::vector<ProcessEntry>> list() override {
    DIR* d = ::opendir("/proc");
    if (d == nullptr) return std::nullopt;
    std::vector<ProcessEntry> out;
    while (dirent* e = ::readdir(d)) {
      if (!isNumber(e->d_name)) continue;
      ProcessEntry p;
      p.pid = std::atoi(e->d_name);
      p.executable = readLink(std::string("/proc/") + e->d_name + "/exe");
      out.push_back(std::move(p));
    }
    ::closedir(d);
    return out;
  }

  int ownPid() override { return static_cast<int>(::getpid()); }

  std::string ownExecutable() override { return readLink("/proc/self/exe"); }

  std::unique_ptr<ProcessHandle> open(int pid) override {
    if (pid <= 0) return nullptr;
    int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
      if (errno != ENOSYS) return nullptr;  // gone, or not ours to see
      if (::kill(pid, 0) != 0) return nullptr;
    }
    return std::make_unique<SystemHandle>(pid, fd);
  }
};

}  // namespace

ProcessTable& systemProcessTable() {
  static SystemProcessTable table;
  return table;
}

}  // namespace platform
