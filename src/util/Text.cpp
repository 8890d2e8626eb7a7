#include "util/Text.h"

#include <string>

#include "base/Failure.h"

namespace util {
namespace {

[[noreturn]] void bad(std::string_view s) {
  throw base::NumberFormatError("For input string: \"" + std::string(s) + "\"");
}

// Parses into a magnitude no larger than `limit`.
uint64_t magnitude(std::string_view s, size_t from, uint64_t limit) {
  if (from == s.size()) bad(s);
  uint64_t v = 0;
  for (size_t i = from; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') bad(s);
    uint64_t d = static_cast<uint64_t>(s[i] - '0');
    if (v > (limit - d) / 10) bad(s);
    v = v * 10 + d;
  }
  return v;
}

}  // namespace

int32_t parseInt32(std::string_view s) {
  bool negative = !s.empty() && s[0] == '-';
  uint64_t v = magnitude(s, negative ? 1 : 0, negative ? 2147483648ULL : 2147483647ULL);
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
}

int64_t parseInt64(std::string_view s) {
  bool negative = !s.empty() && s[0] == '-';
  uint64_t v =
      magnitude(s, negative ? 1 : 0, negative ? 9223372036854775808ULL : 9223372036854775807ULL);
  if (negative) return v == 9223372036854775808ULL ? INT64_MIN : -static_cast<int64_t>(v);
  return static_cast<int64_t>(v);
}

std::string groupDigits(std::string_view digits, char separator, int size) {
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (separator != 0 && size > 0 && i > 0 && (digits.size() - i) % static_cast<size_t>(size) == 0)
      out += separator;
    out += digits[i];
  }
  return out;
}

std::string lowBytes(std::string_view units) {
  std::string text(units.size() / 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = units[2 * i];
  return text;
}

}  // namespace util
