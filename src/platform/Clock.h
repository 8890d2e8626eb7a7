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

// A clock for tests: starts at a given time and advances only when told to or
// when something sleeps.
class FakeClock : public Clock {
 public:
  explicit FakeClock(int64_t now) : now_(now) {}
  int64_t currentTimeMillis() override { return now_; }
  void sleepMillis(int64_t millis) override {
    slept_ += millis;
    now_ += millis;
  }
  void advance(int64_t millis) { now_ += millis; }
  int64_t slept() const { return slept_; }

 private:
  int64_t now_;
  int64_t slept_ = 0;
};

}  // namespace platform
