#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
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

  // Room in the store held for a log being received, so that logs received
  // at the same time cannot pass the size limit together. Dropping it gives
  // the room back.
  class Room {
   public:
    Room(LogStore& store, int64_t size) : store_(store), size_(size) {}
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;
    ~Room();

   private:
    LogStore& store_;
    int64_t size_;
  };

  // Creates the incoming directory when it is missing and removes what a
  // crashed earlier server left in it. `refuse` makes every store fail, as
  // on a full disk. `maxStore` limits the total size of the files in the
  // store directory (-1: no limit).
  LogStore(std::string storeDir, std::string incomingDir, bool refuse, int64_t maxStore = -1);

  // Holds room for a log of `size` bytes; nullptr (with `*error` set) when
  // the files in the store, the logs being received and this one together
  // would pass the size limit. The store is measured anew each time, since
  // a statistics run empties it.
  std::unique_ptr<Room> reserve(int64_t size, std::string* error);

  // Starts a new log; nullptr (with `*error` set) when it cannot be created.
  std::unique_ptr<Incoming> begin(std::string* error);

  const std::string& storeDir() const { return storeDir_; }

 private:
  std::string storeDir_;
  std::string incomingDir_;
  bool refuse_;
  int64_t maxStore_;
  std::mutex roomMutex_;
  int64_t reserved_ = 0;  // the room held by logs being received
  std::atomic<uint64_t> counter_{0};
  int64_t startMillis_;
};

}  // namespace tools::collector
