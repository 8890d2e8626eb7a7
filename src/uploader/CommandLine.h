#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/InfoRequest.h"
#include "uploader/Output.h"

namespace uploader {

// The run settings of the uploader, fixed once the command line is read.
struct Settings {
  std::string logDir = ".";
  std::string gameType = "unknown";
  bool verbose = false;
  bool test = false;
  bool exitLog = true;
  // --help or --version: answered instead of a run.
  base::InfoRequest info = base::InfoRequest::kNone;
};

// The uploader's command line:
//   tessaly [-v] [-l] [-e] [-V|-version] [-d log_dir] [-g game_type]
// in its normal form, or as one argument holding the options separated by
// blanks (the single-argument form), which has its own exit codes.
class CommandLine {
 public:
  static constexpr size_t kMaxTokens = 31;
  static constexpr size_t kMaxTokenLength = 255;
  // The log directory's limit counts the separator and the "*.log" pattern
  // added to it.
  static constexpr size_t kMaxLogDirPath = 1023;
  static constexpr size_t kLogDirSuffix = 6;  // "/*.log"
  static constexpr size_t kMaxGameType = 127;

  // Reads `args` (without the program's name) into `*settings`, printing the
  // options' messages to `out` (whose verbose mode it switches on at "-v").
  // Returns true when the run goes on; otherwise false with the exit code in
  // `*exitCode`. An argument "--help" or "--version", where an unknown
  // option would end the parse, ends it with `settings->info` set and exit
  // code 0, printing nothing.
  static bool parse(const std::vector<std::string>& args, const std::string& program, Output& out,
                    Settings* settings, int* exitCode);

  // The tokens of the single-argument form: split at every blank, so that
  // consecutive blanks give empty tokens.
  static std::vector<std::string> split(const std::string& text);
};

}  // namespace uploader
