#include "util/NumberFormat.h"

#include <charconv>
#include <cmath>

#include "util/Text.h"

namespace util {
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
  // Fixed notation with one digit rounds the exact binary value, ties to
  // even (as "%.1f" does): the text of the number is exact before any digit
  // is dropped.
  char buf[400];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
  std::string text(buf, ec == std::errc() ? end : buf);
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t dot = text.find('.');
  std::string digits = text.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "0" : text.substr(dot + 1);
  if (digits.size() > kMaxIntegerDigits) digits.erase(0, digits.size() - kMaxIntegerDigits);
  std::string out = negative ? "-" : "";
  out += util::groupDigits(digits, g_.separator, g_.size);
  out += g_.decimal;
  out += fraction;
  return out;
}

}  // namespace util
