#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "platform/AppendFile.h"
#include "platform/FdWrite.h"

namespace platform {

std::unique_ptr<AppendFile> AppendFile::open(const std::string& path, bool fresh,
                                             std::string& error) {
  // The permissions a C stream opened for writing gets (0666 less the umask).
  int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | (fresh ? O_TRUNC : 0);
  int fd = path.empty() ? -1 : ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    error = std::strerror(path.empty() ? ENOENT : errno);
    return nullptr;
  }
  return std::make_unique<AppendFile>(Token(), fd);
}

AppendFile::~AppendFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool AppendFile::write(std::string_view data) {
  if (fd_ < 0) {
    error_ = std::strerror(EBADF);
    return false;
  }
  const int error = detail::writeFully(fd_, data.data(), data.size());
  if (error != 0) error_ = std::strerror(error);
  return error == 0;
}

bool AppendFile::close() {
  int fd = fd_;
  fd_ = -1;
  if (fd < 0 || ::close(fd) == 0) return true;
  error_ = std::strerror(errno);
  return false;
}

}  // namespace platform
