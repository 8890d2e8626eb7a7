#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One entry of a directory, with what it leads to (symbolic links are
// resolved: a link to a directory is a Directory).
struct DirectoryEntry {
  enum class Kind { File, Directory, Other };
  std::string name;
  Kind kind = Kind::Other;
  // The identity of what the entry leads to, for telling when a walk comes
  // back to a directory it has seen.
  uint64_t device = 0;
  uint64_t inode = 0;
};

// The entries of a directory without "." and "..", in byte order of their
// names. An entry that cannot be examined (a dangling link) is Other. Throws
// base::IOError when the directory cannot be read.
std::vector<DirectoryEntry> readDirectoryEntries(const std::string& path);

// What `path` leads to, its name being the whole path; none when it does not
// exist or cannot be examined.
std::optional<DirectoryEntry> examinePath(const std::string& path);

}  // namespace platform
