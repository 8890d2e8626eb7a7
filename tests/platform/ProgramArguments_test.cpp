#include "platform/ProgramArguments.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using platform::quotedCommandLine;

// How the C runtime of a Windows program splits its command line into argv
// (the rules CommandLineToArgvW follows too): blanks separate arguments
// outside double quotes; 2n backslashes before a double quote are n
// backslashes and the quote opens or closes a quoted part, 2n+1 are n
// backslashes and a literal quote; backslashes before anything else stand as
// they are.
std::vector<std::string> splitLikeTheRuntime(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return out;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg += '"';
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(backslashes, '\\');
        if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) arg += line[i++];
      }
    }
    out.push_back(arg);
  }
}

TEST(QuotedCommandLine, PlainArgumentsStandAsTheyAreAndOthersAreQuoted) {
  EXPECT_EQ(quotedCommandLine({"./tessaly", "-d", "logs", "-g", "ProcessTest"}),
            "./tessaly -d logs -g ProcessTest");
  // Backslashes in a path are no escapes when no quote follows them.
  EXPECT_EQ(quotedCommandLine({"C:\\games\\tessaly.exe", "C:\\logs\\"}),
            "C:\\games\\tessaly.exe C:\\logs\\");
  EXPECT_EQ(quotedCommandLine({"a", ""}), "a \"\"");
  EXPECT_EQ(quotedCommandLine({"C:\\Program Files\\logs\\"}), "\"C:\\Program Files\\logs\\\\\"");
  EXPECT_EQ(quotedCommandLine({"say \"hi\""}), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(quotedCommandLine({}), "");
}

TEST(QuotedCommandLine, TheRuntimeSplitsItBackIntoTheSameArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {"prog", "plain", "two words", ""},
      {"prog", "trailing backslash \\", "\\\\server\\share\\", "C:\\dir with blank\\"},
      {"prog", "\"", "\\\"", "\\\\\"", "a\\\\b\"c", "\"quoted\""},
      {"prog", "tab\there", "new\nline", " lead", "trail "},
      {"prog", "caf\xc3\xa9 \xe2\x82\xac", "%PATH%", "a&b|c<d>e^f"},
  };
  for (const auto& args : cases) {
    const std::string line = quotedCommandLine(args);
    EXPECT_EQ(splitLikeTheRuntime(line), args) << line;
  }
}

}  // namespace
