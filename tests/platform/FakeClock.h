#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace testing_support {

// A clock for tests: starts at a given time and advances only when told to or
// when something sleeps.
class FakeClock : public platform::Clock {
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

}  // namespace testing_support
