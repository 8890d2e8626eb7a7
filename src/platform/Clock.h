#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// Wall clock and sleeping. The programs read the time only through clock(),
// so tests can install a fake.
class Clock {
 public:
  virtual ~Clock() = default;
  // Wall-clock milliseconds since 1970-01-01 UTC.
  virtual int64_t currentTimeMillis() = 0;
  virtual void sleepMillis(int64_t millis) = 0;
};

class Os;
class ScopedOs;

// The clock in force: the clock of the system in force (Os.h).
Clock& clock();

// Makes `c` the clock in force until the guard's destructor runs, with the
// files of the system in force as they were; `c` must outlive the guard.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& c);
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
  ~ScopedClock();

 private:
  std::unique_ptr<Os> timed_;
  std::unique_ptr<ScopedOs> inForce_;
};

namespace detail {
// The system's clock; defined by each platform's side.
Clock& systemClock();
}  // namespace detail

}  // namespace platform
