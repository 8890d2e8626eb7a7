#pragma once

#include <string>
#include <vector>

namespace palvex::modes {

// One run of palvex: banner, command line, the files to process and the
// one mode that applies. Returns the exit status, which is always 1.
class Run {
 public:
  static int run(const std::vector<std::string>& args);
};

}  // namespace palvex::modes
