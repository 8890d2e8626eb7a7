#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tools::loggen {

// The command line of `loggen`: parses `args` (without the program name),
// writes the logs and returns the exit status: 0 done, 1 a log could not be
// written, 2 bad options (with a message on `err`). A log written to
// standard output goes to `out`.
int runLoggen(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// The text of --help: its manual page (docs/man/loggen.txt).
std::string loggenUsage();

}  // namespace tools::loggen
