#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace uploadstarter {

// Starts the uploader of the current directory on a log directory, in the
// background, waits a given time and reports whether it finished and how.
// It never stops the uploader.
class UploadStarter {
 public:
  static constexpr int kDefaultDelay = 15;
  // The longest wait accepted, in seconds (a day).
  static constexpr int64_t kMaxDelay = 86400;
  static constexpr const char* kUploader = "./tessaly";

  // `args` without the program's name; returns the exit code (0, or -1 on
  // wrong usage or a failed system call). "--help" or "--version" as the
  // first or second argument prints the help text or the version and
  // returns 0 without starting anything.
  static int run(const std::vector<std::string>& args, const std::string& program, std::FILE* out);

  // The delay argument: decimal digits only, at most kMaxDelay; none
  // otherwise.
  static std::optional<int> parseDelay(const std::string& text);
};

}  // namespace uploadstarter
