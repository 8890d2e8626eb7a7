#include "programs/vardobf/output/NumberFormat.h"

#include <cmath>
#include <cstdio>

namespace programs::vardobf::output {
namespace {

const platform::NumberGrouping& platformGrouping() {
  static const platform::NumberGrouping g = platform::defaultNumberGrouping();
  return g;
}

constexpr size_t kMaxIntegerDigits = 8;

}  // namespace

NumberFormat::NumberFormat() : g_(platformGrouping()) {}

std::string NumberFormat::format(double v) const {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  // "%.1f" rounds the exact binary value, ties to even: the text of the
  // number is exact before any digit is dropped.
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string text(buf, n > 0 ? static_cast<size_t>(n) : 0);
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t dot = text.find('.');
  std::string digits = text.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "0" : text.substr(dot + 1);
  if (digits.size() > kMaxIntegerDigits) digits.erase(0, digits.size() - kMaxIntegerDigits);
  std::string out;
  if (negative) out += '-';
  for (size_t i = 0; i < digits.size(); ++i) {
    if (g_.separator != 0 && g_.size > 0 && i > 0 &&
        (digits.size() - i) % static_cast<size_t>(g_.size) == 0)
      out += g_.separator;
    out += digits[i];
  }
  out += g_.decimal;
  out += fraction;
  return out;
}

}  // namespace programs::vardobf::output
