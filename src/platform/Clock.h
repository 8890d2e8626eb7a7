#pragma once

#include <cstdint>

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

// The clock in force: the system clock unless a test installed another one.
Clock& clock();

// Installs `c` as the clock in force until the returned guard's destructor
// runs; `c` must outlive the guard.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& c);
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
  ~ScopedClock();

 private:
  Clock* previous_;
};

namespace detail {
// The system's clock; defined by each platform's side.
Clock& systemClock();
}  // namespace detail

}  // namespace platform
