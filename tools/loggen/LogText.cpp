#include "tools/loggen/LogText.h"

#include <cstdio>

namespace tools::loggen::detail {

std::string timeText(Cs t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld.%02lld", static_cast<long long>(t / 100),
                static_cast<long long>(t % 100));
  return buf;
}

std::string hex(Rng& rng, size_t digits) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < digits; ++i) s += kHex[rng.below(16)];
  return s;
}

std::string fieldOf(const std::string& line, size_t n) {
  size_t start = 0;
  for (size_t i = 0; i < n; ++i) {
    start = line.find('\t', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  size_t end = line.find_first_of("\t\r", start);
  return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace tools::loggen::detail
