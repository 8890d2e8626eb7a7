#pragma once

#include <cstdio>
#include <string_view>

#include "base/Version.h"

namespace base {

// The two arguments every program and tool answers without doing anything
// else: "--help" prints its manual page's text, "--version" its name and
// version. Each program recognises them where its own command line would
// otherwise reject the argument; only the whole argument counts.
enum class InfoRequest { kNone, kHelp, kVersion };

inline InfoRequest infoRequest(std::string_view argument) {
  if (argument == "--help") return InfoRequest::kHelp;
  if (argument == "--version") return InfoRequest::kVersion;
  return InfoRequest::kNone;
}

// Prints the answer to `request` (not kNone) on standard output: `helpText`,
// or "`program` VERSION". Returns the exit status: 0, or 1 (with a line on
// standard error) when standard output cannot take it.
inline int answerInfoRequest(InfoRequest request, const char* program, const char* helpText) {
  if (request == InfoRequest::kHelp)
    std::fputs(helpText, stdout);
  else
    std::printf("%s %s\n", program, kProgramVersion);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "%s: cannot write to standard output\n", program);
    return 1;
  }
  return 0;
}

}  // namespace base
