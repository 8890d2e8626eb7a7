#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/StreamRedirect.h"

namespace platform {

struct StreamRedirect::Saved {
  int fd = -1;  // a copy of the stream's descriptor as it was
};

namespace {

int descriptorOf(StandardStream stream) {
  return stream == StandardStream::output ? STDOUT_FILENO : STDERR_FILENO;
}

void flush(StandardStream stream) {
  if (stream == StandardStream::output) {
    std::cout.flush();
    std::fflush(stdout);
  } else {
    std::cerr.flush();
    std::fflush(stderr);
  }
}

}  // namespace

StreamRedirect::StreamRedirect(StandardStream stream, const std::string& path)
    : stream_(stream), saved_(std::make_unique<Saved>()) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (file < 0) throw base::IOError(path + " (cannot create: " + std::strerror(errno) + ")");
  flush(stream_);
  const int target = descriptorOf(stream_);
  saved_->fd = ::fcntl(target, F_DUPFD_CLOEXEC, 0);
  if (saved_->fd < 0 || ::dup2(file, target) < 0) {
    const int error = errno;
    if (saved_->fd >= 0) ::close(saved_->fd);
    ::close(file);
    throw base::IOError(path + " (cannot send the stream there: " + std::strerror(error) + ")");
  }
  ::close(file);
}

StreamRedirect::~StreamRedirect() { restore(); }

void StreamRedirect::restore() {
  if (saved_->fd < 0) return;
  flush(stream_);
  ::dup2(saved_->fd, descriptorOf(stream_));
  ::close(saved_->fd);
  saved_->fd = -1;
}

}  // namespace platform
