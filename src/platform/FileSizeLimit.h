#pragma once

#include <cstdint>

namespace platform {

// Writes that fail, for the tests of failing writes.

// Limits the size of the files this process writes while it lives (for the
// tests of writes that fail part way): a write past the limit fails instead
// of ending the process. The limit is restored at the end. Windows has no
// such limit of a process: there active() is false and nothing changes.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(int64_t bytes);
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit();
  // Whether the limit is in force.
  bool active() const { return active_; }

 private:
  bool active_ = false;
  unsigned long long saved_ = 0;     // the limit before
  void (*previous_)(int) = nullptr;  // the handler of the signal it raises
};

// The device on which every write fails for want of space (/dev/full), or
// nullptr where the system has none (Windows).
const char* fullDevicePath();

}  // namespace platform
