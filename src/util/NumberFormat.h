#pragma once

#include <string>

#include "platform/System.h"

namespace util {

// The one number format of every page and graph: exactly one fraction digit, at least
// one and at most eight integer digits (higher digits are dropped), with the
// grouping and decimal sign of the platform's default number format.
// Rounding is to the nearest tenth of the exact value, ties to even.
class NumberFormat {
 public:
  // The platform's format, read once per process.
  NumberFormat();
  explicit NumberFormat(platform::NumberGrouping g) : g_(g) {}

  std::string format(double v) const;
  std::string format(int64_t v) const { return format(static_cast<double>(v)); }
  std::string format(int32_t v) const { return format(static_cast<double>(v)); }

 private:
  platform::NumberGrouping g_;
};

}  // namespace util
