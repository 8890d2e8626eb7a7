#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/DirectoryEntries.h"

namespace platform {
namespace {

// Owns an open directory stream.
class Dir {
 public:
  explicit Dir(DIR* d) : d_(d) {}
  Dir(const Dir&) = delete;
  Dir& operator=(const Dir&) = delete;
  ~Dir() {
    if (d_ != nullptr) ::closedir(d_);
  }
  DIR* get() const { return d_; }

 private:
  DIR* d_;
};

void describe(const struct stat& st, DirectoryEntry& entry) {
  if (S_ISREG(st.st_mode))
    entry.kind = DirectoryEntry::Kind::File;
  else if (S_ISDIR(st.st_mode))
    entry.kind = DirectoryEntry::Kind::Directory;
  entry.device = static_cast<uint64_t>(st.st_dev);
  entry.inode = static_cast<uint64_t>(st.st_ino);
}

}  // namespace

std::vector<DirectoryEntry> readDirectoryEntries(const std::string& path) {
  Dir dir(::opendir(path.c_str()));
  if (dir.get() == nullptr)
    throw base::IOError("Cannot read directory " + path + ": " + std::strerror(errno));
  int fd = ::dirfd(dir.get());
  std::vector<DirectoryEntry> out;
  errno = 0;
  while (dirent* e = ::readdir(dir.get())) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = std::move(name);
    struct stat st;
    if (::fstatat(fd, entry.name.c_str(), &st, 0) == 0) describe(st, entry);
    out.push_back(std::move(entry));
  }
  std::sort(out.begin(), out.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return out;
}

std::optional<DirectoryEntry> examinePath(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  DirectoryEntry entry;
  entry.name = path;
  describe(st, entry);
  return entry;
}

}  // namespace platform
