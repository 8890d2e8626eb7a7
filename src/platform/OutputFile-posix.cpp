#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "platform/FdWrite.h"
#include "platform/OutputFile.h"

namespace platform {

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path, Mode mode) {
  if (path.empty()) return nullptr;
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::kCreateNew ? O_EXCL : O_TRUNC);
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<OutputFile>(Token(), fd);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::write(const uint8_t* data, size_t size) {
  if (fd_ < 0) return false;
  return detail::writeFully(fd_, reinterpret_cast<const char*>(data), size) == 0;
}

bool OutputFile::close() {
  int fd = fd_;
  fd_ = -1;
  return fd < 0 || ::close(fd) == 0;
}

}  // namespace platform
