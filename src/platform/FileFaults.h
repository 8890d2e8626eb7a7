#pragma once

#include <string>

namespace platform {

// I/O failure injection for tests: an installed FileFaults decides, per call,
// whether one of the file operations below fails as the operating system
// would (errno EIO). Nothing is installed in normal runs; then every check
// is one pointer comparison.
//
// Covered: removePath (kRemove), replaceFile and renameNoReplace (kRename),
// writeFile, writeFileDurable, copyFile and RandomAccessFile::writeAt
// (kWrite), syncDirectory (kSyncDirectory).
class FileFaults {
 public:
  enum class Op { kRemove, kRename, kWrite, kSyncDirectory };

  virtual ~FileFaults() = default;
  // True when `op` on `path` (the source path of a rename) must fail.
  [[nodiscard]] virtual bool fails(Op op, const std::string& path) = 0;

  // Installs `faults` for the whole process; nullptr turns injection off.
  // The caller keeps ownership and uninstalls before destroying it. Not for
  // use while other threads do file operations.
  static void install(FileFaults* faults);
  // True when the installed FileFaults fails `op` on `path`; errno is EIO
  // then. False, leaving errno alone, when nothing is installed.
  [[nodiscard]] static bool injected(Op op, const std::string& path);
};

}  // namespace platform
