#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/Os.h"

namespace platform {

// A system held in memory, for tests of code that reads and writes files:
// nothing reaches the disk, and the clock moves only when told to.
//
// Paths are names separated by the system's separators (doubled and trailing
// ones count once); "/" and "" are the root, which always exists. A name is created only
// in a directory that exists. Files open at offsets keep their content when
// their name is replaced or removed, as on POSIX systems. Flushing does
// nothing: what is written is durable at once.
class MemoryOs : public Os {
 public:
  explicit MemoryOs(int64_t startMillis = 0) : now_(startMillis) {}

  // The clock: sleeping moves it on instead of waiting.
  int64_t currentTimeMillis() override { return now_; }
  void sleepMillis(int64_t millis) override;

  bool exists(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  bool isFile(const std::string& path) override;
  bool canWrite(const std::string& path) override { return exists(path); }
  std::vector<std::string> listDirectory(const std::string& path) override;
  int64_t fileSize(const std::string& path) override;
  int64_t lastModifiedMillis(const std::string& path) override;

  bool renameNoReplace(const std::string& from, const std::string& to) override;
  bool replaceFile(const std::string& from, const std::string& to) override;
  bool removePath(const std::string& path) override;
  bool makeDirectory(const std::string& path) override;

  std::string readFile(const std::string& path) override;
  void writeFile(const std::string& path, std::string_view data) override;
  void writeFileDurable(const std::string& path, std::string_view data) override {
    writeFile(path, data);
  }
  void syncDirectory(const std::string& dir) override;
  void copyFile(const std::string& from, const std::string& to) override;
  std::string canonicalPath(const std::string& path) override;
  File open(const std::string& path, File::Mode mode) override;

  // Sets a file's last modification, as a file written at `millis` has it;
  // false when there is no such file.
  bool setLastModifiedMillis(const std::string& path, int64_t millis);

 private:
  struct Node {
    std::shared_ptr<std::string> data;
    int64_t modified = 0;
  };

  static std::string key(const std::string& path);
  static std::string parentOf(const std::string& key);
  bool hasParent(const std::string& key) const;
  bool isDirectoryKey(const std::string& key) const;
  bool move(const std::string& from, const std::string& to, bool replace);

  std::map<std::string, Node> files_;
  std::set<std::string> directories_;
  int64_t now_;
};

}  // namespace platform
