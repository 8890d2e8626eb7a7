#pragma once

#include <string>

#include "uploader/Output.h"

namespace uploader {

// What the uploader tells the collector about itself, fixed for the run.
struct ClientDescription {
  static constexpr const char* kProtocolVersion = "1.5";
  static constexpr const char* kUploaderVersion = "1.5.7";
  // Stands in the address field when the local address cannot be had.
  static constexpr const char* kNoAddress = "(null)";

  std::string version = kProtocolVersion;
  std::string gameType = "unknown";
  std::string system;
  std::string address = kNoAddress;

  // "<system> (<major>.<minor> - <kernel release> - 1.5.7)", or
  // "<system> - Unknown - 1.5.7" when the version data cannot be read.
  static std::string systemDescription();
  // The first IPv4 address of the local host name as "a.b.c.d"; "(null)",
  // after the E10 or E11 line, when it cannot be had.
  static std::string localAddress(Output& out);
};

}  // namespace uploader
