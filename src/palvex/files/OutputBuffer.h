#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace palvex::files {

// Where written bytes end up: a file, or memory in tests.
class Sink {
 public:
  virtual ~Sink() = default;
  // Takes all bytes; false on failure.
  virtual bool write(std::span<const uint8_t> data) = 0;
};

// Collects bytes in memory.
class MemorySink : public Sink {
 public:
  bool write(std::span<const uint8_t> data) override {
    bytes.insert(bytes.end(), data.begin(), data.end());
    ++writes;
    return true;
  }
  std::vector<uint8_t> bytes;
  int writes = 0;
};

// The 8192-byte output buffer every writer goes through: a piece that fits
// is appended, the buffer is flushed when the next piece would not fit, and
// a piece larger than the buffer is written directly after a flush. After a
// failed write every later call fails too.
class OutputBuffer {
 public:
  static constexpr size_t kCapacity = 8192;

  explicit OutputBuffer(Sink& sink) : sink_(sink) {}

  bool put(std::span<const uint8_t> piece);
  bool put(const std::vector<uint8_t>& piece) { return put(std::span<const uint8_t>(piece)); }
  bool flush();
  bool ok() const { return ok_; }

 private:
  Sink& sink_;
  std::array<uint8_t, kCapacity> buffer_{};
  size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace palvex::files
