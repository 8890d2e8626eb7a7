#pragma once

#include <cstdint>
#include <string>

#include "TestDir.h"
#include "platform/FileSystem.h"
#include "platform/MemoryOs.h"
#include "platform/Os.h"

namespace testing_support {

// A home folder on a system held in memory, in force while it lives, with
// the helpers of TestDir: for tests of the run's files that read better
// without the disk. Its clock is the system's: it stands still until slept.
class MemoryHome {
 public:
  explicit MemoryHome(int64_t startMillis) : system_(startMillis), inForce_(system_) {
    system_.ensureDirectory(path_);
  }
  MemoryHome(const MemoryHome&) = delete;
  MemoryHome& operator=(const MemoryHome&) = delete;

  platform::MemoryOs& system() { return system_; }
  const std::string& path() const { return path_; }
  // path() + "/" + name, with the system's own separator in place of every
  // "/", as the programs write their paths.
  std::string operator/(const std::string& name) const { return systemPath(path_, name); }
  std::string write(const std::string& name, const std::string& data) {
    const std::string p = *this / name;
    system_.writeFile(p, data);
    return p;
  }
  std::string read(const std::string& name) { return system_.readFile(*this / name); }
  // Creates the directory `name` (which may hold "/") with the ones above it.
  std::string mkdir(const std::string& name) {
    for (const std::string& folder : foldersOf(name)) system_.ensureDirectory(*this / folder);
    return *this / name;
  }
  // Gives the file `name` the last modification `millis`.
  [[nodiscard]] bool touch(const std::string& name, int64_t millis) {
    return system_.setLastModifiedMillis(*this / name, millis);
  }

 private:
  std::string path_ = std::string(1, platform::kSeparator) + "home";
  platform::MemoryOs system_;
  platform::ScopedOs inForce_;
};

}  // namespace testing_support
