#include "platform/System.h"

#include <ctime>
#include <utility>

#include "platform/LocalTime.h"

namespace platform {
namespace {

std::optional<std::string>& homeOverride() {
  static std::optional<std::string> dir;
  return dir;
}

}  // namespace

std::string installationHome() {
  const std::optional<std::string>& dir = homeOverride();
  return dir ? *dir : detail::executableFolder();
}

ScopedInstallationHome::ScopedInstallationHome(std::string dir)
    : previous_(std::exchange(homeOverride(), std::move(dir))) {}

ScopedInstallationHome::~ScopedInstallationHome() { homeOverride() = std::move(previous_); }

std::string defaultDateText(int64_t millis) {
  time_t t = static_cast<time_t>(millis / 1000);
  std::tm tm{};
  if (!localTime(t, tm)) return std::to_string(millis);
  char buf[128];
  size_t n = std::strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Z %Y", &tm);
  return std::string(buf, n);
}

}  // namespace platform
