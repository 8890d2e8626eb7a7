#include "platform/StandardOutput.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<StandardOutput> StandardOutput::divertToStandardError() {
  std::fflush(stdout);
  int saved = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (saved < 0) return nullptr;
  if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    ::close(saved);
    return nullptr;
  }
  return std::make_unique<StandardOutput>(Token(), saved);
}

StandardOutput::~StandardOutput() {
  if (fd_ >= 0) ::close(fd_);
}

bool StandardOutput::write(std::string_view data) {
  if (fd_ < 0) return false;
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd_, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

bool StandardOutput::close() {
  int fd = fd_;
  fd_ = -1;
  return fd < 0 || ::close(fd) == 0;
}

}  // namespace platform
