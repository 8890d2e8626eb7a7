#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <stdlib.h>
#include <unistd.h>

#include "base/Failure.h"
#include "platform/TemporaryDirectory.h"

namespace platform {

std::string createTemporaryDirectory(std::string_view prefix) {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) folder = "/tmp";
  std::string tmpl = (folder / (std::string(prefix) + "XXXXXX")).string();
  if (::mkdtemp(tmpl.data()) == nullptr) {
    throw base::IOError(tmpl + " (cannot create a temporary directory: " + std::strerror(errno) +
                        ")");
  }
  return tmpl;
}

bool removeDirectoryTree(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Directories the tests made unreadable or unwritable can be walked again.
  if (fs::is_directory(fs::symlink_status(path, ec))) {
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(
             path, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      std::error_code ignored;
      if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
      }
    }
  }
  fs::remove_all(path, ec);
  return !fs::exists(fs::symlink_status(path, ec));
}

bool directoryWriteProtectionApplies() { return ::geteuid() != 0; }

}  // namespace platform
