#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/InfoRequest.h"

namespace programs::vardobf {

// The entry of the statistics generator.
class VardoBF {
 public:
  static constexpr const char* kVersion = "1.2";
  static constexpr const char* kDefaultLogPath = "../../Logs";

  // The parsed command line.
  struct Options {
    int32_t verbosity = 0;
    std::optional<std::string> configFile;
    std::optional<std::string> home;
    std::optional<bool> browser;
    std::vector<std::string> logPaths;
    bool quit = false;  // -u
    // --help or --version: answered instead of a run.
    base::InfoRequest info = base::InfoRequest::kNone;
  };

  // Parses the command line (without the program name). Prints the usage
  // block for an unknown option and goes on; throws base::Failure for an
  // argument that is "-" alone. An option "--help" or "--version" ends the
  // parse, as -u does, with `info` set.
  static Options parseOptions(const std::vector<std::string>& args);

  // The whole program; returns the exit status (0, or -1 for a failure).
  static int main(const std::vector<std::string>& args);
};

}  // namespace programs::vardobf
