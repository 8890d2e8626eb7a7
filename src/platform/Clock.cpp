#include "platform/Clock.h"

namespace platform {
namespace {

Clock* current = nullptr;

}  // namespace

Clock& clock() { return current != nullptr ? *current : detail::systemClock(); }

ScopedClock::ScopedClock(Clock& c) : previous_(current) { current = &c; }
ScopedClock::~ScopedClock() { current = previous_; }

}  // namespace platform
