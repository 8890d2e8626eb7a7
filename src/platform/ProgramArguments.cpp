#include "platform/ProgramArguments.h"

namespace platform {
namespace {

void appendQuoted(const std::string& arg, std::string& out) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
    out += arg;
    return;
  }
  out += '"';
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a double quote: doubled
    // there, and one more to escape the quote itself.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  // Before the closing quote they are doubled too.
  out.append(backslashes * 2, '\\');
  out += '"';
}

}  // namespace

std::string quotedCommandLine(const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) out += ' ';
    appendQuoted(args[i], out);
  }
  return out;
}

}  // namespace platform
