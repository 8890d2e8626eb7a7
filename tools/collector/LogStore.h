#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "platform/RandomAccessFile.h"

namespace tools::collector {

// Where the collector keeps the logs it received. A log is written under a
// temporary name in the incoming directory (never in the store, so that a
// reader of the store never sees a partial file), flushed to the disk, and
// only then renamed to a new, unique "*.log" name in the store. The two
// directories must be on one file system.
class LogStore {
 public:
  // A log being received. Dropping it unfinished removes the temporary file.
  class Incoming {
   public:
    Incoming(platform::RandomAccessFile file, std::string tempPath, LogStore& store);
    Incoming(const Incoming&) = delete;
    Incoming& operator=(const Incoming&) = delete;
    ~Incoming();

    // False when the data could not be written.
    bool write(const char* data, size_t size);
    // Flushes, closes and renames the log into the store; its final path, or
    // none (with `*error` set) when that failed.
    std::optional<std::string> commit(std::string* error);

   private:
    platform::RandomAccessFile file_;
    std::string tempPath_;
    LogStore& store_;
    int64_t written_ = 0;
    bool committed_ = false;
  };

  // Creates the incoming directory when it is missing and removes what a
  // crashed earlier server left in it. `refuse` makes every store fail, as
  // on a full disk.
  LogStore(std::string storeDir, std::string incomingDir, bool refuse);

  // Starts a new log; nullptr (with `*error` set) when it cannot be created.
  std::unique_ptr<Incoming> begin(std::string* error);

  const std::string& storeDir() const { return storeDir_; }

 private:
  std::string storeDir_;
  std::string incomingDir_;
  bool refuse_;
  std::atomic<uint64_t> counter_{0};
  int64_t startMillis_;
};

}  // namespace tools::collector
