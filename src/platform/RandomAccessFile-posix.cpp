#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/RandomAccessFile.h"

namespace platform {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path) {
  throw base::IOError(path + " (" + what + ": " + std::strerror(errno) + ")");
}

}  // namespace

RandomAccessFile RandomAccessFile::open(const std::string& path, Mode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kReadOnly:
      flags |= O_RDONLY;
      break;
    case Mode::kReadWrite:
      flags |= O_RDWR | O_CREAT;
      break;
    case Mode::kTruncate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) fail("cannot open", path);
  RandomAccessFile file(fd, path);
  struct stat st;
  if (::fstat(fd, &st) != 0) fail("cannot examine", path);
  if (!S_ISREG(st.st_mode)) throw base::IOError(path + " (not a regular file)");
  return file;
}

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

RandomAccessFile::~RandomAccessFile() {
  if (fd_ >= 0) ::close(fd_);
}

void RandomAccessFile::check() const {
  if (fd_ < 0) throw base::IOError(path_ + " (file is not open)");
}

int64_t RandomAccessFile::size() const {
  check();
  struct stat st;
  if (::fstat(fd_, &st) != 0) fail("cannot examine", path_);
  return static_cast<int64_t>(st.st_size);
}

size_t RandomAccessFile::readAt(int64_t offset, std::span<uint8_t> out) const {
  check();
  size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + got, out.size() - got,
                        static_cast<off_t>(offset + static_cast<int64_t>(got)));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("cannot read", path_);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

void RandomAccessFile::writeAt(int64_t offset, std::span<const uint8_t> data) {
  check();
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::pwrite(fd_, data.data() + done, data.size() - done,
                         static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("cannot write", path_);
    }
    done += static_cast<size_t>(n);
  }
}

void RandomAccessFile::truncate(int64_t length) {
  check();
  int r;
  do {
    r = ::ftruncate(fd_, static_cast<off_t>(length));
  } while (r != 0 && errno == EINTR);
  if (r != 0) fail("cannot set the length", path_);
}

void RandomAccessFile::sync() {
  check();
  if (::fsync(fd_) != 0) fail("cannot flush", path_);
}

void RandomAccessFile::close() {
  int fd = std::exchange(fd_, -1);
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) fail("cannot close", path_);
}

}  // namespace platform
