#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProcessTable.h"
#include "platform/Socket.h"
#include "uploader/CommandLine.h"
#include "uploader/LogDirectory.h"
#include "uploader/Output.h"

namespace uploader {

// What a run of the uploader works with; the program passes the system's,
// tests their doubles.
struct Environment {
  platform::Network* network = nullptr;
  platform::ProcessTable* processes = nullptr;
  Output* out = nullptr;
  std::string program = "tessaly";  // the program's name as started
  std::string home = ".";           // where "collectors.txt" may be
  // The value of TESSALY_COLLECTORS; null when it is not set.
  const char* collectors = nullptr;
  // The instance-lock port; none runs without the lock (only the load test
  // does, to run many clients on one machine).
  std::optional<uint16_t> lockPort = 19273;
  // Deletes a file; false on failure.
  std::function<bool(const std::string&)> remove;
};

// One run of the log uploader over a log directory: the command line, the
// instance lock with stuck-uploader recovery, the clean-up, the upload of
// every finished log and the final old-log check. Returns the exit code.
class Uploader {
 public:
  static constexpr uint16_t kLockPort = 19273;
  static constexpr const char* kExitLogName = "batch_info.txt";
  // Exit code of a run whose collector table replacement is malformed.
  static constexpr int kBadCollectorTable = -120;

  explicit Uploader(Environment env);

  // `args` without the program's name.
  int run(const std::vector<std::string>& args);

 private:
  int afterCommandLine(int64_t startMillis, size_t startIndex);
  bool takeLock(int* exitCode);
  int upload(LogDirectory& dir, class CollectorClient& client, int listed);
  int finalCheck(const LogDirectory& dir);
  int finish(int code);
  std::string dirWithSeparator() const;

  Environment env_;
  Output& out_;
  Settings settings_;
  platform::Socket lock_;
  int processed_ = 0;
};

}  // namespace uploader
