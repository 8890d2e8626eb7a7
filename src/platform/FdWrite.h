#pragma once

#include <cerrno>
#include <cstddef>

#include <unistd.h>

// Internal to the platform layer: the one loop that writes a whole buffer to a
// file descriptor.
namespace platform::detail {

// Writes all `size` bytes of `data` at the descriptor's position, resuming
// after interruptions. Returns 0 when everything is written, otherwise the
// errno value of the failure (EIO when the descriptor takes no more bytes).
inline int writeFully(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace platform::detail
