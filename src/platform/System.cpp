#include "platform/System.h"

#include <climits>
#include <locale>

#include <ctime>

#include "platform/LocalTime.h"

namespace platform {

std::string defaultDateText(int64_t millis) {
  time_t t = static_cast<time_t>(millis / 1000);
  std::tm tm{};
  if (!localTime(t, tm)) return std::to_string(millis);
  char buf[128];
  size_t n = std::strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Z %Y", &tm);
  return std::string(buf, n);
}

NumberGrouping defaultNumberGrouping() {
  NumberGrouping g;
  try {
    std::locale loc("");
    const auto& np = std::use_facet<std::numpunct<char>>(loc);
    g.decimal = np.decimal_point();
    std::string grouping = np.grouping();
    if (!grouping.empty() && grouping[0] > 0 && grouping[0] != CHAR_MAX) {
      g.separator = np.thousands_sep();
      g.size = grouping[0];
    }
  } catch (const std::exception&) {
    // An environment locale the C++ library does not know: no grouping.
  }
  return g;
}

}  // namespace platform
