#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace testing_support {

// Where the built programs are.
inline std::string binDir() {
  const char* b = std::getenv("BRIM_BINARY_DIR");
  return std::string(b != nullptr ? b : ".") + "/bin";
}

inline std::string shellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

struct RunResult {
  int status = -1;     // exit status, or -1 when it did not exit normally
  std::string output;  // standard output and standard error
};

// Runs a shell command line and collects what it writes on standard output.
inline RunResult runShell(const std::string& cmd) {
  RunResult r;
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  int st = ::pclose(p);
  if (WIFEXITED(st)) r.status = WEXITSTATUS(st);
  return r;
}

// Runs a program in `cwd` with the arguments given and collects its output.
inline RunResult runProgram(const std::string& cwd, const std::string& program,
                            const std::vector<std::string>& args, const std::string& env = "") {
  std::string cmd = "cd " + shellQuote(cwd) + " && exec env " + env + " " + shellQuote(program);
  for (const auto& a : args) cmd += " " + shellQuote(a);
  return runShell(cmd + " 2>&1 </dev/null");
}

// The text as the game server writes it: 16-bit little-endian units.
inline std::string utf16le(const std::string& s) {
  std::string out;
  for (char c : s) {
    out += c;
    out += '\0';
  }
  return out;
}

}  // namespace testing_support
