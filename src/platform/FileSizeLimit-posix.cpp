#include <csignal>

#include <sys/resource.h>

#include "platform/FileSizeLimit.h"

namespace platform {

FileSizeLimit::FileSizeLimit(int64_t bytes) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  saved_ = limit.rlim_cur;
  previous_ = std::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = static_cast<rlim_t>(bytes);
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
    std::signal(SIGXFSZ, previous_);
    return;
  }
  active_ = true;
}

FileSizeLimit::~FileSizeLimit() {
  if (!active_) return;
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
    limit.rlim_cur = static_cast<rlim_t>(saved_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::signal(SIGXFSZ, previous_);
}

const char* fullDevicePath() { return "/dev/full"; }

}  // namespace platform
