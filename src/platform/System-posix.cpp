#include <climits>
#include <locale>

#include <unistd.h>

#include "platform/System.h"

namespace platform {

std::string osName() { return "Linux"; }

std::string detail::executableFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return workingDirectory();
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string workingDirectory() {
  char buf[PATH_MAX];
  if (::getcwd(buf, sizeof buf) == nullptr) return ".";
  return buf;
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
