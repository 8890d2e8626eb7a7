#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tools::collector {

struct ParsedCommand;

// One command of an uploader, as the collector reads it: a line of
// TAB-separated fields (without its LF).
//   HELLO <version> <game type> <system> <address> <size> <count>
//   NEXTFILE <size>
//   CONN_TEST <version> <game type> <system> <address>
struct CollectorCommand {
  enum class Kind { kHello, kNextFile, kConnTest };

  static constexpr const char* kVersion = "1.5";
  static constexpr size_t kMaxLine = 4096;
  static constexpr size_t kMaxGameType = 127;
  static constexpr size_t kMaxSystem = 255;
  static constexpr int64_t kMaxSize = 0x7fffffff;
  static constexpr int64_t kMaxCount = 1000000;

  Kind kind = Kind::kNextFile;
  std::string version;
  std::string gameType;
  std::string system;
  std::string address;
  int64_t size = 0;
  int64_t count = 0;

  // Checks every field: the field count, the version, printable texts of
  // bounded length, a dotted IPv4 address or "(null)", and decimal numbers
  // within their limits.
  static struct ParsedCommand parse(std::string_view line);
};

// The outcome of reading a line: a command, or the reply keyword that
// refuses it ("SYNTAX_ERROR" or "UNSUPPORTED_VERSION") with a reason for the
// server's log.
struct ParsedCommand {
  std::optional<CollectorCommand> command;
  std::string refusal;
  std::string reason;
};

}  // namespace tools::collector
