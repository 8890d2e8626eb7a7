#pragma once

#include <cstdint>

#include "platform/Clock.h"

namespace testing_support {

// A clock that moves one millisecond at every reading, so that lock files of
// successive loop turns get distinct names; sleeping advances it too.
class TickingClock : public platform::Clock {
 public:
  explicit TickingClock(int64_t now) : now_(now) {}
  int64_t currentTimeMillis() override { return now_++; }
  void sleepMillis(int64_t millis) override {
    slept += millis;
    now_ += millis;
  }
  int64_t now_;
  int64_t slept = 0;
};

}  // namespace testing_support
