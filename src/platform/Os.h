#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/RandomAccessFile.h"

// The operating system as the statistics generator reaches it: files,
// directories, files read and written at offsets, and the clock. The
// generator's classes call os(); the real system is behind it unless a test
// put another one in force (ScopedOs): the wrapper that injects failures
// (FaultyOs.h) or the in-memory system (MemoryOs.h).
//
// Every call means what the function of the same name in FileSystem.h means,
// with the same failures.
namespace platform {

// A file open for reading and writing at offsets, as an Os opens it. The
// calls mean those of RandomAccessFile.
class OsFile {
 public:
  virtual ~OsFile() = default;
  [[nodiscard]] virtual const std::string& path() const = 0;
  [[nodiscard]] virtual int64_t size() const = 0;
  virtual size_t readAt(int64_t offset, std::span<uint8_t> out) const = 0;
  virtual void writeAt(int64_t offset, std::span<const uint8_t> data) = 0;
  virtual void truncate(int64_t length) = 0;
  virtual void sync() = 0;
  virtual void close() = 0;
};

// An open file or none, moved like a value.
class File {
 public:
  using Mode = RandomAccessFile::Mode;

  File() = default;
  explicit File(std::unique_ptr<OsFile> f) : f_(std::move(f)) {}

  [[nodiscard]] bool isOpen() const { return f_ != nullptr; }
  [[nodiscard]] const std::string& path() const { return open().path(); }
  [[nodiscard]] int64_t size() const { return open().size(); }
  size_t readAt(int64_t offset, std::span<uint8_t> out) const { return open().readAt(offset, out); }
  void writeAt(int64_t offset, std::span<const uint8_t> data) { open().writeAt(offset, data); }
  void truncate(int64_t length) { open().truncate(length); }
  void sync() { open().sync(); }
  // Closes now and holds no file afterwards; throws when the close reports a
  // failure.
  void close();

 private:
  OsFile& open() const;

  std::unique_ptr<OsFile> f_;
};

class Os : public Clock {
 public:
  [[nodiscard]] virtual bool exists(const std::string& path) = 0;
  [[nodiscard]] virtual bool isDirectory(const std::string& path) = 0;
  [[nodiscard]] virtual bool isFile(const std::string& path) = 0;
  [[nodiscard]] virtual bool canWrite(const std::string& path) = 0;
  virtual std::vector<std::string> listDirectory(const std::string& path) = 0;
  virtual int64_t fileSize(const std::string& path) = 0;
  virtual int64_t lastModifiedMillis(const std::string& path) = 0;

  [[nodiscard]] virtual bool renameNoReplace(const std::string& from, const std::string& to) = 0;
  [[nodiscard]] virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
  [[nodiscard]] virtual bool removePath(const std::string& path) = 0;
  [[nodiscard]] virtual bool makeDirectory(const std::string& path) = 0;
  // Creates one directory level unless `path` is a directory already. Throws
  // base::IOError when `path` is not a directory afterwards.
  virtual void ensureDirectory(const std::string& path);

  virtual std::string readFile(const std::string& path) = 0;
  virtual void writeFile(const std::string& path, std::string_view data) = 0;
  virtual void writeFileDurable(const std::string& path, std::string_view data) = 0;
  virtual void syncDirectory(const std::string& dir) = 0;
  virtual void copyFile(const std::string& from, const std::string& to) = 0;
  virtual std::string canonicalPath(const std::string& path) = 0;

  // Opens a file for reading and writing at offsets; throws base::IOError.
  virtual File open(const std::string& path, File::Mode mode) = 0;
};

// The real system.
Os& systemOs();

// The system in force: the real one unless a ScopedOs put another in force.
// platform::clock() is its clock.
Os& os();

// Puts `o` in force until the guard's destructor runs; `o` must outlive the
// guard. Not for use while other threads reach the system.
class ScopedOs {
 public:
  explicit ScopedOs(Os& o);
  ScopedOs(const ScopedOs&) = delete;
  ScopedOs& operator=(const ScopedOs&) = delete;
  ~ScopedOs();

 private:
  Os* previous_;
};

// Passes every call on to another system; the base of systems that change
// a few calls and leave the rest.
class ForwardingOs : public Os {
 public:
  explicit ForwardingOs(Os& inner) : inner_(inner) {}

  int64_t currentTimeMillis() override { return inner_.currentTimeMillis(); }
  void sleepMillis(int64_t millis) override { inner_.sleepMillis(millis); }
  bool exists(const std::string& path) override { return inner_.exists(path); }
  bool isDirectory(const std::string& path) override { return inner_.isDirectory(path); }
  bool isFile(const std::string& path) override { return inner_.isFile(path); }
  bool canWrite(const std::string& path) override { return inner_.canWrite(path); }
  std::vector<std::string> listDirectory(const std::string& path) override {
    return inner_.listDirectory(path);
  }
  int64_t fileSize(const std::string& path) override { return inner_.fileSize(path); }
  int64_t lastModifiedMillis(const std::string& path) override {
    return inner_.lastModifiedMillis(path);
  }
  bool renameNoReplace(const std::string& from, const std::string& to) override {
    return inner_.renameNoReplace(from, to);
  }
  bool replaceFile(const std::string& from, const std::string& to) override {
    return inner_.replaceFile(from, to);
  }
  bool removePath(const std::string& path) override { return inner_.removePath(path); }
  bool makeDirectory(const std::string& path) override { return inner_.makeDirectory(path); }
  void ensureDirectory(const std::string& path) override { inner_.ensureDirectory(path); }
  std::string readFile(const std::string& path) override { return inner_.readFile(path); }
  void writeFile(const std::string& path, std::string_view data) override {
    inner_.writeFile(path, data);
  }
  void writeFileDurable(const std::string& path, std::string_view data) override {
    inner_.writeFileDurable(path, data);
  }
  void syncDirectory(const std::string& dir) override { inner_.syncDirectory(dir); }
  void copyFile(const std::string& from, const std::string& to) override {
    inner_.copyFile(from, to);
  }
  std::string canonicalPath(const std::string& path) override { return inner_.canonicalPath(path); }
  File open(const std::string& path, File::Mode mode) override { return inner_.open(path, mode); }

 protected:
  Os& inner() { return inner_; }

 private:
  Os& inner_;
};

}  // namespace platform
