#include <cerrno>

#include <time.h>

#include "platform/Clock.h"

namespace platform {
namespace {

class SystemClock : public Clock {
 public:
  int64_t currentTimeMillis() override {
    struct timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
  }
  void sleepMillis(int64_t millis) override {
    if (millis <= 0) return;
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(millis / 1000);
    ts.tv_nsec = static_cast<long>((millis % 1000) * 1000000);
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

Clock& detail::systemClock() {
  static SystemClock c;
  return c;
}

}  // namespace platform
