#include "platform/Clock.h"

#include "platform/Os.h"

namespace platform {
namespace {

// The files of one system and the time of a given clock.
class TimedOs : public ForwardingOs {
 public:
  TimedOs(Os& files, Clock& time) : ForwardingOs(files), time_(time) {}
  int64_t currentTimeMillis() override { return time_.currentTimeMillis(); }
  void sleepMillis(int64_t millis) override { time_.sleepMillis(millis); }

 private:
  Clock& time_;
};

}  // namespace

Clock& clock() { return os(); }

ScopedClock::ScopedClock(Clock& c)
    : timed_(std::make_unique<TimedOs>(os(), c)), inForce_(std::make_unique<ScopedOs>(*timed_)) {}
ScopedClock::~ScopedClock() = default;

}  // namespace platform
