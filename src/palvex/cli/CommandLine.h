#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/InfoRequest.h"
#include "palvex/cli/Settings.h"

namespace palvex::cli {

// The command line of palvex: switches introduced by "-", "/" or "=",
// abbreviated to any prefix of at least their minimum length, and up to two
// plain arguments.
class CommandLine {
 public:
  // Parses `args` (without the program name), printing the complaints of
  // parsing, and applies the rules that follow parsing. Never fails.
  static Settings parse(const std::vector<std::string>& args);

  // Whether the command line asks for --help or --version: an argument
  // that is exactly one of them where a switch is read (not as a switch's
  // value). Reads `args` as parse() does, printing nothing.
  static base::InfoRequest infoRequest(const std::vector<std::string>& args);

  // Whether `argument` is a switch: it starts with "-" or "=", or with "/"
  // where the platform takes that for a switch (platform/ProgramArguments.h).
  static bool isSwitch(const std::string& argument);

  // The index of the keyword table entry that `text` (the switch without
  // its switch character, any case) selects, or -1.
  static int match(std::string_view text);
  // The number of table entries.
  static int entries();
  // The keyword of a table entry.
  static std::string_view keyword(int entry);

  static void printBanner();
  static void printUsage();
};

}  // namespace palvex::cli
