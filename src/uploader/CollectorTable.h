#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace uploader {

// A collector endpoint: a host name (or dotted address) and a TCP port.
struct Endpoint {
  std::string host;
  uint16_t port = 0;
  bool operator==(const Endpoint&) const = default;
};

// The collectors the uploader may connect to, in table order: the built-in
// ten, or a replacement of one to ten entries taken from the environment
// variable TESSALY_COLLECTORS ("host:port,host:port,...") or, when that is
// not set, from the file "collectors.txt" beside the program (one
// "host:port" a line; blank lines and lines starting with "#" are skipped).
class CollectorTable {
 public:
  static constexpr size_t kMaxEntries = 10;
  static constexpr size_t kMaxHostLength = 127;
  static constexpr uint16_t kDefaultPort = 9999;
  static constexpr const char* kEnvironmentVariable = "TESSALY_COLLECTORS";
  static constexpr const char* kFileName = "collectors.txt";

  // The built-in ten.
  static CollectorTable builtIn();

  // Parses one "host:port": a host of 1 to 127 characters without blanks,
  // TABs, commas or colons, and a decimal port from 1 to 65535. Throws
  // base::FormatError with a message naming the entry otherwise.
  static Endpoint parseEndpoint(std::string_view text);
  // A comma-separated list of one to ten entries. Throws base::FormatError.
  static CollectorTable parseList(std::string_view text);
  // The text of a "collectors.txt". Throws base::FormatError.
  static CollectorTable parseFile(std::string_view text);

  // The table in force: the environment's value when `environment` is not
  // null, else the file in `home` when it exists, else the built-in table.
  // Throws base::FormatError (naming the source) for a bad replacement and
  // base::IOError when the file exists but cannot be read.
  static CollectorTable load(const char* environment, const std::string& home);

  const std::vector<Endpoint>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  const Endpoint& operator[](size_t i) const { return entries_[i]; }

 private:
  explicit CollectorTable(std::vector<Endpoint> entries) : entries_(std::move(entries)) {}
  std::vector<Endpoint> entries_;
};

}  // namespace uploader
