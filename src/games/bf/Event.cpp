#include "games/bf/Event.h"

#include <charconv>
#include <system_error>

#include "base/Failure.h"
#include "util/Debug.h"

namespace games::bf {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void badNumber(std::string_view s) {
  throw base::NumberFormatError("For input string: \"" + std::string(s) + "\"");
}

// Length of the run of decimal digits at `s[i]`.
size_t digits(std::string_view s, size_t i) {
  size_t n = 0;
  while (i + n < s.size() && isDigit(s[i + n])) ++n;
  return n;
}

}  // namespace

bool Event::begin(const Fields& f, size_t min, std::string_view message) {
  if (f.size() < min) {
    util::Debug::print(message, 0);
    return false;
  }
  valid = true;
  time = detail::parseNumber(f[0]);
  return true;
}

void Event::printFields(
    std::string_view name,
    std::initializer_list<std::pair<std::string_view, std::string>> fields) const {
  std::string line = "(" + detail::numberText(time) + ") ";
  line += name;
  for (const auto& [field, value] : fields) {
    line += ' ';
    line += field;
    line += '=';
    line += value;
  }
  util::Debug::print(line, 0);
}

namespace detail {

double parseNumber(std::string_view s) {
  // The grammar is checked here because from_chars alone would also take
  // "inf", "nan" and a prefix such as the "1" of "1x", and no "+" at all.
  // Infinite or undefined times and scores would poison every sum and
  // sample of the replay, so they are refused like any other bad text.
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t intDigits = digits(s, i);
  i += intDigits;
  size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    fracDigits = digits(s, i + 1);
    i += 1 + fracDigits;
  }
  if (intDigits + fracDigits == 0) badNumber(s);
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    size_t expDigits = digits(s, j);
    if (expDigits == 0) badNumber(s);
    i = j + expDigits;
  }
  if (i != s.size()) badNumber(s);
  // from_chars takes a "-" but not a "+".
  std::string_view body = s[0] == '+' ? s.substr(1) : s;
  double v = 0.0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
  // out of range: beyond a double's range, or too small to tell from zero.
  if (ec != std::errc() || end != body.data() + body.size()) badNumber(s);
  return v;
}

std::string numberText(double v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  if (ec != std::errc()) return "?";
  return std::string(buf, end);
}

bool isFalseWord(std::string_view s) {
  return s == "False" || s == "Falso" || s == "Nein" || s == "Faux";
}

}  // namespace detail

}  // namespace games::bf
