#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Socket.h"
#include "tools/collector/CollectorOptions.h"
#include "tools/collector/LogStore.h"

namespace tools::collector {

// The other end of the uploader's protocol: accepts uploaders, one thread
// each, answers their commands, inflates each announced log and stores it,
// and acknowledges a log only once it is safely on the disk. A client that
// sends garbage, sends too much, or stalls is dropped with a log line and
// does not disturb the others.
class CollectorServer {
 public:
  explicit CollectorServer(CollectorOptions options);

  // Listens and serves until the process ends. Returns 1 (after a message)
  // when it cannot listen or cannot use the store. A start refused for a
  // missing store or an address it cannot listen on leaves the disk as it
  // was.
  int run();

  // One line on standard output, never interleaved with another thread's.
  void log(const std::string& line);

  const CollectorOptions& options() const { return options_; }
  // The store; there is one only while run() serves.
  LogStore& store() { return *store_; }
  // True for the HELLOs to be answered with REDIRECT.
  bool takeRedirect();

 private:
  void serve(platform::Socket socket, uint64_t id);

  CollectorOptions options_;
  std::optional<LogStore> store_;
  std::mutex logMutex_;
  std::atomic<int> active_{0};
  std::atomic<int> redirected_{0};
};

}  // namespace tools::collector
