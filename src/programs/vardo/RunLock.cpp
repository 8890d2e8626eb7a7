#include "programs/vardo/RunLock.h"

#include <limits>

#include "base/Failure.h"
#include "platform/HostInfo.h"
#include "platform/Process.h"
#include "util/Text.h"

namespace programs::vardo {

std::string RunLock::ownerText() {
  const std::optional<std::string> host = platform::hostName();
  if (!host) return "";
  return std::to_string(platform::currentProcessId()) + " " + *host + "\n";
}

std::optional<RunLock::Owner> RunLock::ownerOf(std::string_view text) {
  if (text.empty() || text.back() != '\n') return std::nullopt;
  text.remove_suffix(1);
  const size_t blank = text.find(' ');
  // The id as a run writes it: decimal digits without a leading zero.
  if (blank == 0 || blank == std::string_view::npos || blank > 10 || text[0] == '0')
    return std::nullopt;
  Owner o;
  int64_t pid = 0;
  for (char c : text.substr(0, blank)) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  if (pid <= 0 || pid > std::numeric_limits<int>::max()) return std::nullopt;
  o.pid = static_cast<int>(pid);
  o.host = std::string(text.substr(blank + 1));
  if (o.host.empty() || o.host.find_first_of(" \n\r") != std::string::npos) return std::nullopt;
  return o;
}

bool RunLock::alive(std::string_view name, const std::optional<std::string>& text, int64_t now) {
  const int64_t stamp = util::parseInt64(name.substr(0, name.find(".lock")));
  if (text) {
    const std::optional<Owner> owner = ownerOf(*text);
    const std::optional<std::string> host = platform::hostName();
    // This process has written no lock yet: a lock under its id was left by
    // an earlier process that had the same id.
    if (owner && host && owner->host == *host &&
        (owner->pid == platform::currentProcessId() || !platform::processRunning(owner->pid)))
      return false;
  }
  if (stamp > now) return true;  // dated in the future
  int64_t age = 0;
  if (__builtin_sub_overflow(now, stamp, &age)) return false;  // older than any clock
  return age < kLifeMillis;
}

}  // namespace programs::vardo
