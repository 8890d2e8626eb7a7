#include "tools/collector/CollectorCommand.h"

#include <vector>

namespace tools::collector {
namespace {

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
    if (out.size() > 8) break;  // more than any command has
  }
  return out;
}

bool printable(std::string_view s, size_t maxLength) {
  if (s.empty() || s.size() > maxLength) return false;
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (u < ' ' || u == 0x7f) return false;
  }
  return true;
}

std::optional<int64_t> number(std::string_view s, int64_t max) {
  if (s.empty() || s.size() > 12) return std::nullopt;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v > max) return std::nullopt;
  return v;
}

bool address(std::string_view s) {
  if (s == "(null)") return true;
  int parts = 0;
  size_t start = 0;
  for (;;) {
    size_t dot = s.find('.', start);
    std::string_view p = s.substr(start, dot == std::string_view::npos ? s.npos : dot - start);
    if (p.size() > 3 || !number(p, 255)) return false;
    ++parts;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

ParsedCommand refuse(const char* refusal, std::string reason) {
  ParsedCommand p;
  p.refusal = refusal;
  p.reason = std::move(reason);
  return p;
}

// Fills the four description fields shared by HELLO and CONN_TEST.
std::optional<ParsedCommand> describe(const std::vector<std::string_view>& f, CollectorCommand* c) {
  if (f[1] != CollectorCommand::kVersion)
    return refuse("UNSUPPORTED_VERSION", "protocol version \"" + std::string(f[1]) + "\"");
  if (!printable(f[2], CollectorCommand::kMaxGameType))
    return refuse("SYNTAX_ERROR", "bad game type");
  if (!printable(f[3], CollectorCommand::kMaxSystem))
    return refuse("SYNTAX_ERROR", "bad system description");
  if (!address(f[4])) return refuse("SYNTAX_ERROR", "bad address");
  c->version = f[1];
  c->gameType = f[2];
  c->system = f[3];
  c->address = f[4];
  return std::nullopt;
}

}  // namespace

ParsedCommand CollectorCommand::parse(std::string_view line) {
  if (line.size() > kMaxLine) return refuse("SYNTAX_ERROR", "command line too long");
  std::vector<std::string_view> f = fields(line);
  CollectorCommand c;
  if (f[0] == "HELLO") {
    if (f.size() != 7) return refuse("SYNTAX_ERROR", "HELLO needs 6 fields");
    if (auto bad = describe(f, &c)) return *bad;
    auto size = number(f[5], kMaxSize);
    auto count = number(f[6], kMaxCount);
    if (!size) return refuse("SYNTAX_ERROR", "bad file size");
    if (!count) return refuse("SYNTAX_ERROR", "bad file count");
    c.kind = Kind::kHello;
    c.size = *size;
    c.count = *count;
  } else if (f[0] == "NEXTFILE") {
    if (f.size() != 2) return refuse("SYNTAX_ERROR", "NEXTFILE needs 1 field");
    auto size = number(f[1], kMaxSize);
    if (!size) return refuse("SYNTAX_ERROR", "bad file size");
    c.kind = Kind::kNextFile;
    c.size = *size;
  } else if (f[0] == "CONN_TEST") {
    if (f.size() != 5) return refuse("SYNTAX_ERROR", "CONN_TEST needs 4 fields");
    if (auto bad = describe(f, &c)) return *bad;
    c.kind = Kind::kConnTest;
  } else {
    return refuse("SYNTAX_ERROR", "unknown command");
  }
  ParsedCommand p;
  p.command = std::move(c);
  return p;
}

}  // namespace tools::collector
