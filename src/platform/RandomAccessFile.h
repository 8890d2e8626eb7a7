#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/NativeHandle.h"

namespace platform {

// A file open for reading and writing at given offsets. Move-only; the
// destructor closes the file and never throws. Every failure of the
// operating system throws base::IOError with the path and the reason. A
// directory is flushed with platform::syncDirectory (FileSystem.h).
class RandomAccessFile {
 public:
  enum class Mode {
    kReadOnly,   // an existing file, read only
    kReadWrite,  // read and write; created empty when missing
    kTruncate,   // read and write; created, or emptied when it exists
  };

  // An object that holds no file.
  RandomAccessFile() = default;
  static RandomAccessFile open(const std::string& path, Mode mode);

  RandomAccessFile(RandomAccessFile&& other) noexcept;
  RandomAccessFile& operator=(RandomAccessFile&& other) noexcept;
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;
  ~RandomAccessFile();

  [[nodiscard]] bool isOpen() const { return fd_ != kNoHandle; }
  const std::string& path() const { return path_; }

  // Current length in bytes.
  int64_t size() const;
  // Reads up to out.size() bytes at `offset`; returns the number read, which
  // is smaller only where the file ends.
  size_t readAt(int64_t offset, std::span<uint8_t> out) const;
  // Writes all of `data` at `offset`, extending the file when needed (a gap
  // reads as zeros).
  void writeAt(int64_t offset, std::span<const uint8_t> data);
  // Sets the length; bytes added read as zeros.
  void truncate(int64_t length);
  // Flushes content and length to the disk.
  void sync();
  // Closes now; throws when the close reports a failure.
  void close();

 private:
  RandomAccessFile(NativeHandle fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  void check() const;

  NativeHandle fd_ = kNoHandle;
  std::string path_;
};

}  // namespace platform
