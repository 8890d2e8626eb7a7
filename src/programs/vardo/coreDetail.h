#pragma once

// Internal to core: what the run (core.cpp) and its staging of the log files
// (coreStaging.cpp) share.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Os.h"
#include "util/Trace.h"

namespace programs::vardo::detail {

// The suffix of a processed log.
inline constexpr std::string_view kDone = ".del";

inline int64_t now() { return platform::clock().currentTimeMillis(); }

// Removes a file whose removal may fail without harm to this run, and traces
// the failure as the other failures of `where` are traced.
inline void removeTraced(const std::string& path, const char* where) {
  if (!platform::os().removePath(path))
    util::traceError("core", where, "IOError: cannot delete " + path);
}

}  // namespace programs::vardo::detail
