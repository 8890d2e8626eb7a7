#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/collector/AllowList.h"

namespace tools::collector {

// How the collector server runs, and the faults it can be told to show.
struct CollectorOptions {
  enum class Fault {
    kNone,
    kGarbage,    // answers HELLO and NEXTFILE with bytes that mean nothing
    kStall,      // reads the first command and never answers
    kNoAck,      // takes the whole file, then answers without ACK
    kFullDisk,   // cannot store anything
    kNoNewline,  // ends no reply with LF, and keeps the connection open
    kEarlyAck,   // answers READY and ACK together before the file comes,
                 // then takes the file without storing it and hangs up
  };

  std::string address = "0.0.0.0";
  uint16_t port = 9999;
  std::string storeDir;
  std::string incomingDir;  // default: the store directory + ".incoming"
  std::string portFile;     // where to write the port listened on
  int64_t maxSize = 1300000;
  int64_t idleTimeoutSeconds = 60;
  int maxClients = 64;
  std::string redirectHost;  // empty: no redirection
  uint16_t redirectPort = 0;
  bool redirectAll = false;     // every HELLO, not only the first
  int64_t dropAfterBytes = -1;  // reset each connection after that many bytes
  Fault fault = Fault::kNone;
  AllowList allow;        // --allow: the clients served (empty: all)
  int64_t maxStore = -1;  // --max-store: the store's size limit in bytes (-1: none)

  static constexpr const char* kUsage =
      "Usage: collector --store DIR [--listen ADDR:PORT] [--incoming DIR] [--port-file FILE]\n"
      "                 [--max-size BYTES] [--idle-timeout SECONDS] [--max-clients N]\n"
      "                 [--allow CIDR]... [--max-store BYTES]\n"
      "                 [--redirect HOST:PORT [--redirect-all]] [--drop-after BYTES]\n"
      "                 [--fault garbage|stall|no-ack|full-disk|no-newline|early-ack]\n";

  // Reads the arguments (without the program's name); none, with `*error`
  // set, when they are not valid.
  static std::optional<CollectorOptions> parse(const std::vector<std::string>& args,
                                               std::string* error);
};

}  // namespace tools::collector
