#include "platform/StandardOutput.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "platform/FdWrite.h"

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
  return detail::writeFully(fd_, data.data(), data.size()) == 0;
}

bool StandardOutput::close() {
  int fd = fd_;
  fd_ = -1;
  return fd < 0 || ::close(fd) == 0;
}

}  // namespace platform
