#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MemoryRegistry.h"

namespace platform {

// The registry of the Linux side: a text file in the REGEDIT4 format.
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Classes\.spi]
//   @="ZephClient"
//   "Name"="text with \"quotes\" and \\ backslashes"
//   "Count"=dword:0000002a
//   "Data"=hex:01,02,ff,03
//   "Typed"=hex(2):2f,75,00
//
// Long hex data may go on over lines that end with a backslash. The file
// may also be UTF-8 with a byte-order mark, or UTF-16 with a
// byte-order mark (as the version-5 editor writes it, whose header line
// "Windows Registry Editor Version 5.00" is accepted too).
class RegistryFile {
 public:
  // Larger files are refused before they are read.
  static constexpr size_t kMaxFileSize = 8u << 20;
  // Problems beyond this many are counted, not kept.
  static constexpr size_t kMaxProblems = 50;

  // Parses the bytes of a registry file. A malformed line is skipped and
  // described in problems() ("line 7: ..."); the other lines still count. A
  // text that is not a registry file at all (wrong first line, binary data,
  // broken UTF-16) gives an empty registry and one problem.
  static RegistryFile parse(std::string_view bytes);

  // Reads and parses the file. A file that does not exist gives an empty
  // registry without problems (a system where nothing was ever installed); a
  // file that cannot be read or is too large gives an empty registry and a
  // problem.
  static RegistryFile load(const std::string& path);

  // Where the file is when no path is given: "$XDG_CONFIG_HOME/zephgo/
  // registry.reg", else "$HOME/.config/zephgo/registry.reg"; empty when
  // neither variable is set (or both are empty).
  static std::string defaultPath(const char* xdgConfigHome, const char* home);

  const MemoryRegistry& registry() const { return registry_; }
  MemoryRegistry& registry() { return registry_; }
  // The problems kept (at most kMaxProblems) and how many there were.
  const std::vector<std::string>& problems() const { return problems_; }
  size_t problemCount() const { return problemCount_; }

 private:
  class Parser;
  void addProblem(std::string text);

  MemoryRegistry registry_;
  std::vector<std::string> problems_;
  size_t problemCount_ = 0;
};

}  // namespace platform
