#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/FdWrite.h"
#include "platform/FileSystem.h"
#include "platform/FileSystemSide.h"

namespace platform {
namespace {

std::string errnoText(const std::string& what, const std::string& path) {
  return path + " (" + what + ": " + std::strerror(errno) + ")";
}

// Owns a file descriptor; closes it when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded.
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

bool exists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool canWrite(const std::string& path) {
  return !path.empty() && ::access(path.c_str(), W_OK) == 0;
}

std::vector<std::string> listDirectory(const std::string& path) {
  std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
  if (!dir) throw base::IOError(errnoText("cannot list directory", path));
  std::vector<std::string> names;
  errno = 0;
  while (dirent* e = ::readdir(dir.get())) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  if (errno != 0) throw base::IOError(errnoText("cannot list directory", path));
  std::sort(names.begin(), names.end());
  return names;
}

int64_t fileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) throw base::IOError(errnoText("cannot examine", path));
  return static_cast<int64_t>(st.st_size);
}

int64_t lastModifiedMillis(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

bool setLastModifiedMillis(const std::string& path, int64_t millis) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(millis / 1000);
  times[1].tv_nsec = static_cast<long>((millis % 1000) * 1000000);
  if (times[1].tv_nsec < 0) {
    times[1].tv_nsec += 1000000000L;
    times[1].tv_sec -= 1;
  }
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return false;
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: refuse an existing target, then rename.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return false;
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool removePath(const std::string& path) {
  if (path.empty()) return false;
  if (isDirectory(path)) return ::rmdir(path.c_str()) == 0;
  return ::unlink(path.c_str()) == 0;
}

bool makeDirectory(const std::string& path) {
  return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

void ensureDirectory(const std::string& path) {
  if (isDirectory(path)) return;
  // Another process may create it between the two checks: still a success.
  if (!makeDirectory(path) && !isDirectory(path))
    throw base::IOError(errnoText("cannot create directory", path));
}

std::string readFile(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw base::IOError(errnoText("cannot open", path));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) throw base::IOError(errnoText("cannot examine", path));
  if (!S_ISREG(st.st_mode)) throw base::IOError(path + " (not a regular file)");
  std::string data;
  data.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  for (;;) {
    if (got == data.size()) data.resize(data.size() + 65536);  // the file grew meanwhile
    ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw base::IOError(errnoText("cannot read", path));
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  data.resize(got);
  return data;
}

namespace {

// Writes all of `data` at the file position of `fd`; throws on failure.
void writeSpan(const Fd& fd, const char* data, size_t size, const std::string& path) {
  const int error = detail::writeFully(fd.get(), data, size);
  if (error != 0) {
    errno = error;
    throw base::IOError(errnoText("cannot write", path));
  }
}

void writeAll(const std::string& path, std::string_view data, bool durable) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw base::IOError(errnoText("cannot create", path));
  writeSpan(fd, data.data(), data.size(), path);
  if (durable && ::fsync(fd.get()) != 0) throw base::IOError(errnoText("cannot flush", path));
  if (!fd.close()) throw base::IOError(errnoText("cannot write", path));
}

}  // namespace

void writeFile(const std::string& path, std::string_view data) { writeAll(path, data, false); }

void writeFileDurable(const std::string& path, std::string_view data) {
  writeAll(path, data, true);
}

void syncDirectory(const std::string& dir) {
  const std::string d = dir.empty() ? "." : dir;
  Fd fd(::open(d.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) throw base::IOError(errnoText("cannot open directory", d));
  // Some file systems cannot flush a directory; their entries are durable
  // without it.
  if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS)
    throw base::IOError(errnoText("cannot flush directory", d));
}

// Copies the content of `from` into `part`, flushed to the disk.
void detail::copyContent(const std::string& from, const std::string& part) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) throw base::IOError(errnoText("cannot open", from));
  struct stat st;
  if (::fstat(in.get(), &st) != 0) throw base::IOError(errnoText("cannot examine", from));
  if (!S_ISREG(st.st_mode)) throw base::IOError(from + " (not a regular file)");
  Fd out(::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (out.get() < 0) throw base::IOError(errnoText("cannot create", part));
  std::vector<char> buf(size_t{1} << 20);
  for (;;) {
    ssize_t n = ::read(in.get(), buf.data(), buf.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw base::IOError(errnoText("cannot read", from));
    }
    if (n == 0) break;
    writeSpan(out, buf.data(), static_cast<size_t>(n), part);
  }
  if (::fsync(out.get()) != 0) throw base::IOError(errnoText("cannot flush", part));
  if (!out.close()) throw base::IOError(errnoText("cannot write", part));
}

void detail::discardFile(const std::string& path) { ::unlink(path.c_str()); }

std::string canonicalPath(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf) != nullptr) return buf;
  std::string abs = path;
  if (abs.empty() || abs[0] != '/') {
    if (::getcwd(buf, sizeof buf) != nullptr) abs = std::string(buf) + "/" + path;
  }
  return detail::resolveDots(abs);
}

std::string baseName(const std::string& path) {
  size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  size_t slash = path.rfind('/', end - 1);
  if (slash == std::string::npos) return path.substr(0, end);
  return path.substr(slash + 1, end - slash - 1);
}

}  // namespace platform
