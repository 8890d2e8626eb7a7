#include <algorithm>

#include <windows.h>

#include "platform/Clock.h"

namespace platform {
namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01 (UTC).
constexpr int64_t kEpochOffset = 116444736000000000LL;

class SystemClock : public Clock {
 public:
  int64_t currentTimeMillis() override {
    FILETIME ft;
    ::GetSystemTimePreciseAsFileTime(&ft);
    const int64_t ticks =
        static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    // Floor division, as the POSIX side's seconds and nanoseconds give.
    const int64_t since = ticks - kEpochOffset;
    return since >= 0 ? since / 10000 : -((-since + 9999) / 10000);
  }
  void sleepMillis(int64_t millis) override {
    // Sleep takes at most 0xFFFFFFFE milliseconds (INFINITE is 0xFFFFFFFF).
    while (millis > 0) {
      const int64_t step = std::min<int64_t>(millis, 0x7FFFFFFF);
      ::Sleep(static_cast<DWORD>(step));
      millis -= step;
    }
  }
};

}  // namespace

Clock& detail::systemClock() {
  static SystemClock c;
  return c;
}

}  // namespace platform
