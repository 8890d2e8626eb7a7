#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace util {

// A stopwatch that prints "<elapsed> ms <label>" on standard output, the
// elapsed milliseconds in the six-digit form of format().
class Timer {
 public:
  Timer();

  // Prints the milliseconds since construction or the last mark, then
  // restarts the watch.
  void mark(std::string_view label);
  // The class-wide counterpart of mark(), measured from the first use of the
  // class or the last set().
  static void set(std::string_view label);
  // Restricts the number format to exactly six integer digits; called once
  // by the run driver's construction.
  static void init();

  // The number as the stopwatch prints it: once init() ran, exactly six
  // integer digits (padded with zeros, leading digits dropped), grouped as
  // `grouping` says.
  static std::string format(int64_t millis, platform::NumberGrouping grouping, bool sixDigits);
  // The line mark() prints, without the line end.
  static std::string line(int64_t elapsed, std::string_view label);

 private:
  int64_t stime_;
};

}  // namespace util
