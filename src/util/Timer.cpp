#include "util/Timer.h"

#include <cstdio>

#include "platform/Clock.h"
#include "util/Console.h"
#include "util/Text.h"

namespace util {
namespace {

bool gSixDigits = false;

int64_t& startTime() {
  static int64_t t = platform::clock().currentTimeMillis();
  return t;
}

const platform::NumberGrouping& grouping() {
  static const platform::NumberGrouping g = platform::defaultNumberGrouping();
  return g;
}

}  // namespace

Timer::Timer() : stime_(platform::clock().currentTimeMillis()) { startTime(); }

void Timer::mark(std::string_view label) {
  int64_t now = platform::clock().currentTimeMillis();
  printLine(line(now - stime_, label));
  stime_ = platform::clock().currentTimeMillis();
}

void Timer::set(std::string_view label) {
  int64_t now = platform::clock().currentTimeMillis();
  printLine(line(now - startTime(), label));
  startTime() = platform::clock().currentTimeMillis();
}

void Timer::init() { gSixDigits = true; }

std::string Timer::format(int64_t millis, platform::NumberGrouping g, bool sixDigits) {
  bool negative = millis < 0;
  uint64_t v = negative ? 0 - static_cast<uint64_t>(millis) : static_cast<uint64_t>(millis);
  std::string digits = std::to_string(v);
  if (sixDigits) {
    if (digits.size() > 6) digits.erase(0, digits.size() - 6);
    digits.insert(0, 6 - digits.size(), '0');
  }
  return (negative ? "-" : "") + groupDigits(digits, g.separator, g.size);
}

std::string Timer::line(int64_t elapsed, std::string_view label) {
  return format(elapsed, grouping(), gSixDigits) + " ms " + std::string(label);
}

}  // namespace util
