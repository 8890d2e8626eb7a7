#include "uploader/CollectorTable.h"

#include "base/Failure.h"
#include "base/Text.h"
#include "platform/FileSystem.h"

namespace uploader {
namespace {

// The service's endpoints, in their fixed order.
const char* const kBuiltInHosts[CollectorTable::kMaxEntries] = {
    "collector0.worldstats.example", "collector1.worldstats.example",
    "collector2.worldstats.example", "collector3.worldstats.example",
    "collector4.worldstats.example", "collector5.worldstats.example",
    "collector6.worldstats.example", "collector7.worldstats.example",
    "collector8.worldstats.example", "collector9.worldstats.example",
};

std::string_view trimmed(std::string_view s) { return base::trim(s, " \t\r", " \t\r"); }

void checkCount(size_t n) {
  if (n == 0) throw base::FormatError("no collector entries");
  if (n > CollectorTable::kMaxEntries)
    throw base::FormatError(std::to_string(n) + " collector entries (at most " +
                            std::to_string(CollectorTable::kMaxEntries) + ")");
}

}  // namespace

CollectorTable CollectorTable::builtIn() {
  std::vector<Endpoint> e;
  for (const char* h : kBuiltInHosts) e.push_back({h, kDefaultPort});
  return CollectorTable(std::move(e));
}

Endpoint CollectorTable::parseEndpoint(std::string_view text) {
  const std::string quoted = "\"" + std::string(text) + "\"";
  size_t colon = text.rfind(':');
  if (colon == std::string_view::npos)
    throw base::FormatError("collector entry " + quoted + " is not host:port");
  std::string_view host = text.substr(0, colon);
  std::string_view port = text.substr(colon + 1);
  if (host.empty()) throw base::FormatError("collector entry " + quoted + " has no host");
  if (host.size() > kMaxHostLength)
    throw base::FormatError("collector entry " + quoted + " has a host longer than " +
                            std::to_string(kMaxHostLength) + " characters");
  for (char c : host) {
    auto u = static_cast<unsigned char>(c);
    if (u <= ' ' || u >= 0x7f || c == ',' || c == ':')
      throw base::FormatError("collector entry " + quoted + " has a bad character in its host");
  }
  if (port.empty() || port.size() > 5)
    throw base::FormatError("collector entry " + quoted + " has no valid port");
  uint32_t value = 0;
  for (char c : port) {
    if (c < '0' || c > '9')
      throw base::FormatError("collector entry " + quoted + " has no valid port");
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535)
    throw base::FormatError("collector entry " + quoted + " has a port outside 1 to 65535");
  return Endpoint{std::string(host), static_cast<uint16_t>(value)};
}

CollectorTable CollectorTable::parseList(std::string_view text) {
  std::vector<Endpoint> e;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string_view item =
        trimmed(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    e.push_back(parseEndpoint(item));
    if (e.size() > kMaxEntries) checkCount(e.size());
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  checkCount(e.size());
  return CollectorTable(std::move(e));
}

CollectorTable CollectorTable::parseFile(std::string_view text) {
  std::vector<Endpoint> e;
  size_t start = 0;
  int lineNo = 0;
  while (start <= text.size()) {
    size_t lf = text.find('\n', start);
    std::string_view line =
        trimmed(text.substr(start, lf == std::string_view::npos ? text.npos : lf - start));
    ++lineNo;
    if (!line.empty() && line.front() != '#') {
      try {
        e.push_back(parseEndpoint(line));
      } catch (const base::FormatError& f) {
        throw base::FormatError("line " + std::to_string(lineNo) + ": " + f.what());
      }
      if (e.size() > kMaxEntries) checkCount(e.size());
    }
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  checkCount(e.size());
  return CollectorTable(std::move(e));
}

CollectorTable CollectorTable::load(const char* environment, const std::string& home) {
  if (environment != nullptr) {
    try {
      return parseList(environment);
    } catch (const base::FormatError& f) {
      throw base::FormatError(std::string(kEnvironmentVariable) + ": " + f.what());
    }
  }
  std::string file = home + "/" + kFileName;
  if (!platform::exists(file)) return builtIn();
  std::string text = platform::readFile(file);
  try {
    return parseFile(text);
  } catch (const base::FormatError& f) {
    throw base::FormatError(file + ": " + f.what());
  }
}

}  // namespace uploader
