#include "platform/Os.h"

#include "base/Failure.h"
#include "platform/FileSystem.h"

namespace platform {

void File::close() {
  if (f_ == nullptr) return;
  std::unique_ptr<OsFile> f = std::move(f_);
  f->close();
}

OsFile& File::open() const {
  if (f_ == nullptr) throw base::IOError("no file is open");
  return *f_;
}

void Os::ensureDirectory(const std::string& path) {
  if (isDirectory(path)) return;
  // Another process may create it between the two checks: still a success.
  if (!makeDirectory(path) && !isDirectory(path))
    throw base::IOError("cannot create directory " + path);
}

namespace {

class SystemFile : public OsFile {
 public:
  explicit SystemFile(RandomAccessFile f) : f_(std::move(f)) {}

  const std::string& path() const override { return f_.path(); }
  int64_t size() const override { return f_.size(); }
  size_t readAt(int64_t offset, std::span<uint8_t> out) const override {
    return f_.readAt(offset, out);
  }
  void writeAt(int64_t offset, std::span<const uint8_t> data) override { f_.writeAt(offset, data); }
  void truncate(int64_t length) override { f_.truncate(length); }
  void sync() override { f_.sync(); }
  void close() override { f_.close(); }

 private:
  RandomAccessFile f_;
};

// The functions of FileSystem.h and the system's clock.
class SystemOs : public Os {
 public:
  int64_t currentTimeMillis() override { return detail::systemClock().currentTimeMillis(); }
  void sleepMillis(int64_t millis) override { detail::systemClock().sleepMillis(millis); }
  bool exists(const std::string& path) override { return platform::exists(path); }
  bool isDirectory(const std::string& path) override { return platform::isDirectory(path); }
  bool isFile(const std::string& path) override { return platform::isFile(path); }
  bool canWrite(const std::string& path) override { return platform::canWrite(path); }
  std::vector<std::string> listDirectory(const std::string& path) override {
    return platform::listDirectory(path);
  }
  int64_t fileSize(const std::string& path) override { return platform::fileSize(path); }
  int64_t lastModifiedMillis(const std::string& path) override {
    return platform::lastModifiedMillis(path);
  }
  bool renameNoReplace(const std::string& from, const std::string& to) override {
    return platform::renameNoReplace(from, to);
  }
  bool replaceFile(const std::string& from, const std::string& to) override {
    return platform::replaceFile(from, to);
  }
  bool removePath(const std::string& path) override { return platform::removePath(path); }
  bool makeDirectory(const std::string& path) override { return platform::makeDirectory(path); }
  void ensureDirectory(const std::string& path) override { platform::ensureDirectory(path); }
  std::string readFile(const std::string& path) override { return platform::readFile(path); }
  void writeFile(const std::string& path, std::string_view data) override {
    platform::writeFile(path, data);
  }
  void writeFileDurable(const std::string& path, std::string_view data) override {
    platform::writeFileDurable(path, data);
  }
  void syncDirectory(const std::string& dir) override { platform::syncDirectory(dir); }
  void copyFile(const std::string& from, const std::string& to) override {
    platform::copyFile(from, to);
  }
  std::string canonicalPath(const std::string& path) override {
    return platform::canonicalPath(path);
  }
  File open(const std::string& path, File::Mode mode) override {
    return File(std::make_unique<SystemFile>(RandomAccessFile::open(path, mode)));
  }
};

Os* current = nullptr;

}  // namespace

Os& systemOs() {
  static SystemOs system;
  return system;
}

Os& os() { return current != nullptr ? *current : systemOs(); }

ScopedOs::ScopedOs(Os& o) : previous_(current) { current = &o; }
ScopedOs::~ScopedOs() { current = previous_; }

}  // namespace platform
