#include <cstdlib>

#include <sys/utsname.h>
#include <unistd.h>

#include "platform/HostInfo.h"

namespace platform {

std::optional<KernelInfo> kernelInfo() {
  utsname u;
  if (::uname(&u) != 0) return std::nullopt;
  KernelInfo k;
  k.systemName = u.sysname;
  k.release = u.release;
  char* end = nullptr;
  k.major = static_cast<int>(std::strtol(u.release, &end, 10));
  if (end != nullptr && *end == '.') k.minor = static_cast<int>(std::strtol(end + 1, nullptr, 10));
  return k;
}

std::optional<std::string> hostName() {
  char buf[256] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0 || buf[0] == '\0') return std::nullopt;
  return std::string(buf);
}

}  // namespace platform
