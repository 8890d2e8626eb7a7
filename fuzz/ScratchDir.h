#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

// The scratch directory of a file-based fuzz entry point.
namespace fuzz_support {

namespace detail {
inline std::filesystem::path& scratchPath() {
  static std::filesystem::path path;
  return path;
}
inline void removeScratch() {
  std::error_code ec;
  std::filesystem::remove_all(scratchPath(), ec);
}
}  // namespace detail

// One directory per process, named after `name` (the first call's) and the
// process id. It is in memory where the system has /dev/shm, since the
// harnesses flush their files to disk on every input, and it is removed when
// the process ends. The directory exists when this returns; its contents are
// the harness's business.
inline const std::filesystem::path& scratchDir(const std::string& name) {
  static const bool made = [&name] {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    detail::scratchPath() = base / (name + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(detail::scratchPath());
    std::atexit(detail::removeScratch);
    return true;
  }();
  (void)made;
  return detail::scratchPath();
}

}  // namespace fuzz_support
