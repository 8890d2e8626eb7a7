#pragma once

#include <string>
#include <vector>

namespace palvex::modes {

// One run of palvex: banner, command line, the files to process and the
// one mode that applies. Returns the exit status: 0 when every queued file
// was written, 1 otherwise (also when nothing was queued, or the usage text
// was asked for). "--help" and "--version" are answered, without the
// banner, with status 0.
class Run {
 public:
  static int run(const std::vector<std::string>& args);
};

}  // namespace palvex::modes
