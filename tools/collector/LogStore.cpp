#include "tools/collector/LogStore.h"

#include "base/Failure.h"
#include "base/Text.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace tools::collector {
namespace {

constexpr const char* kPartSuffix = ".part";

using base::endsWith;

}  // namespace

LogStore::LogStore(std::string storeDir, std::string incomingDir, bool refuse, int64_t maxStore)
    : storeDir_(std::move(storeDir)),
      incomingDir_(std::move(incomingDir)),
      refuse_(refuse),
      maxStore_(maxStore),
      startMillis_(platform::clock().currentTimeMillis()) {
  // A directory that cannot be made is reported by CollectorServer::run.
  if (!platform::isDirectory(incomingDir_) && !platform::makeDirectory(incomingDir_)) return;
  try {
    for (const std::string& name : platform::listDirectory(incomingDir_)) {
      // Parts that cannot be removed now are tried again at the next start;
      // they are never taken for logs.
      if (endsWith(name, kPartSuffix))
        static_cast<void>(platform::removePath(incomingDir_ + "/" + name));
    }
  } catch (const base::IOError&) {
  }
}

std::unique_ptr<LogStore::Room> LogStore::reserve(int64_t size, std::string* error) {
  std::lock_guard<std::mutex> lock(roomMutex_);
  if (maxStore_ >= 0) {
    int64_t used = reserved_;
    try {
      for (const std::string& name : platform::listDirectory(storeDir_)) {
        std::string path = storeDir_ + "/" + name;
        if (platform::isFile(path)) used += platform::fileSize(path);
      }
    } catch (const base::IOError& e) {
      *error = std::string("cannot measure the store: ") + e.what();
      return nullptr;
    }
    if (size > maxStore_ - used) {
      *error = "the store is full (" + std::to_string(used) + " of " + std::to_string(maxStore_) +
               " bytes in use or being received)";
      return nullptr;
    }
  }
  reserved_ += size;
  return std::make_unique<Room>(*this, size);
}

LogStore::Room::~Room() {
  std::lock_guard<std::mutex> lock(store_.roomMutex_);
  store_.reserved_ -= size_;
}

std::unique_ptr<LogStore::Incoming> LogStore::begin(std::string* error) {
  if (refuse_) {
    *error = "storing refused (simulated full disk)";
    return nullptr;
  }
  uint64_t n = ++counter_;
  std::string temp =
      incomingDir_ + "/" + std::to_string(startMillis_) + "-" + std::to_string(n) + kPartSuffix;
  try {
    auto file = platform::RandomAccessFile::open(temp, platform::RandomAccessFile::Mode::kTruncate);
    return std::make_unique<Incoming>(std::move(file), temp, *this);
  } catch (const base::IOError& e) {
    *error = e.what();
    return nullptr;
  }
}

LogStore::Incoming::Incoming(platform::RandomAccessFile file, std::string tempPath, LogStore& store)
    : file_(std::move(file)), tempPath_(std::move(tempPath)), store_(store) {}

LogStore::Incoming::~Incoming() {
  if (committed_) return;
  file_ = platform::RandomAccessFile();
  // A part left behind is removed at the next start; it is never taken for a log.
  static_cast<void>(platform::removePath(tempPath_));
}

bool LogStore::Incoming::write(const char* data, size_t size) {
  try {
    file_.writeAt(written_, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data), size));
    written_ += static_cast<int64_t>(size);
    return true;
  } catch (const base::IOError&) {
    return false;
  }
}

std::optional<std::string> LogStore::Incoming::commit(std::string* error) {
  try {
    file_.sync();
    file_.close();
  } catch (const base::IOError& e) {
    *error = e.what();
    return std::nullopt;
  }
  // A unique name: the server's start time, a counter, and a further
  // counter for names that exist already.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    uint64_t n = ++store_.counter_;
    std::string name =
        "upload-" + std::to_string(store_.startMillis_) + "-" + std::to_string(n) + ".log";
    std::string final = store_.storeDir_ + "/" + name;
    if (platform::renameNoReplace(tempPath_, final)) {
      committed_ = true;
      try {
        platform::syncDirectory(store_.storeDir_);
      } catch (const base::IOError&) {
        *error = "cannot flush " + store_.storeDir_;
        // The name is in place; it may not survive a crash, so no ACK.
        if (!platform::removePath(final)) *error += "; " + final + " stays in the store";
        return std::nullopt;
      }
      return final;
    }
    if (platform::exists(final)) continue;
    break;
  }
  *error = "cannot rename " + tempPath_ + " into " + store_.storeDir_;
  return std::nullopt;
}

}  // namespace tools::collector
