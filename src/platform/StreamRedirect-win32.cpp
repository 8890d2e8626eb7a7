#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "base/Failure.h"
#include "platform/StreamRedirect.h"
#include "platform/WideText.h"

namespace platform {

struct StreamRedirect::Saved {
  int fd = -1;  // a copy of the C runtime's descriptor of the stream as it was
};

namespace {

int descriptorOf(StandardStream stream) { return stream == StandardStream::output ? 1 : 2; }

DWORD handleIdOf(StandardStream stream) {
  return stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
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

// Points the system's standard handle at what the C runtime's descriptor
// holds, for the code that writes with WriteFile().
void matchStandardHandle(StandardStream stream) {
  const intptr_t handle = ::_get_osfhandle(descriptorOf(stream));
  if (handle != -1) ::SetStdHandle(handleIdOf(stream), reinterpret_cast<HANDLE>(handle));
}

}  // namespace

StreamRedirect::StreamRedirect(StandardStream stream, const std::string& path)
    : stream_(stream), saved_(std::make_unique<Saved>()) {
  // Binary: the bytes go to the file as written, "\n" stays "\n".
  const int file =
      ::_wopen(detail::wideText(path).c_str(),
               _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  if (file < 0) throw base::IOError(path + " (cannot create: " + std::strerror(errno) + ")");
  flush(stream_);
  const int target = descriptorOf(stream_);
  saved_->fd = ::_dup(target);
  if (saved_->fd < 0 || ::_dup2(file, target) < 0) {
    const int error = errno;
    if (saved_->fd >= 0) ::_close(saved_->fd);
    ::_close(file);
    saved_->fd = -1;
    throw base::IOError(path + " (cannot send the stream there: " + std::strerror(error) + ")");
  }
  ::_close(file);
  matchStandardHandle(stream_);
}

StreamRedirect::~StreamRedirect() { restore(); }

void StreamRedirect::restore() {
  if (saved_->fd < 0) return;
  flush(stream_);
  ::_dup2(saved_->fd, descriptorOf(stream_));
  ::_close(saved_->fd);
  saved_->fd = -1;
  matchStandardHandle(stream_);
}

}  // namespace platform
