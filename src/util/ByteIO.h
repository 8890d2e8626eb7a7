#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace util {

// Big-endian writer of the statistics database files: int32, int64, IEEE
// doubles (the bit pattern as an int64), one-byte booleans and
// length-prefixed strings (an int32 count, then one byte per character).
class ByteWriter {
 public:
  ByteWriter() = default;
  explicit ByteWriter(size_t capacity) { bytes_.reserve(capacity); }

  void putUInt8(uint8_t v) { bytes_.push_back(v); }
  void putInt8(int8_t v) { bytes_.push_back(static_cast<uint8_t>(v)); }
  void putBool(bool v) { bytes_.push_back(v ? 1 : 0); }
  void putInt32(int32_t v);
  void putUInt32(uint32_t v);
  void putInt64(int64_t v);
  void putDouble(double v);
  void putBytes(std::span<const uint8_t> data);
  // Throws base::FormatError when the text has more than 2^31 - 1 bytes.
  void putString(std::string_view s);

  size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  // Hands the bytes over; the writer is empty afterwards.
  std::vector<uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

// Big-endian reader over a byte span that the caller keeps alive. Every read
// checks the bounds first: reading past the end throws base::FormatError
// ("... bytes needed at offset ... of ...") and leaves the position where it
// was.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
  explicit ByteReader(std::string_view data)
      : data_(reinterpret_cast<const uint8_t*>(data.data()), data.size()) {}

  uint8_t readUInt8();
  int8_t readInt8() { return static_cast<int8_t>(readUInt8()); }
  // Any byte other than 0 reads as true.
  bool readBool() { return readUInt8() != 0; }
  int32_t readInt32();
  uint32_t readUInt32();
  int64_t readInt64();
  double readDouble();
  // A view of the next n bytes, valid as long as the reader's data.
  std::span<const uint8_t> readBytes(size_t n);
  // A length-prefixed string. A negative count, or one above `maxLength` or
  // above what is left, throws base::FormatError before anything is
  // allocated.
  std::string readString(size_t maxLength);
  void skip(size_t n) {
    require(n);
    pos_ += n;
  }

  size_t position() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ == data_.size(); }

 private:
  void require(size_t n) const;

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

// Big-endian numbers at a fixed place of a buffer that the caller has sized.
void storeInt32(uint8_t* at, int32_t v);
int32_t loadInt32(const uint8_t* at);

// CRC-32 (the polynomial of zip and PNG) of `data`, continuing from `crc`
// (0 to start).
uint32_t crc32(std::span<const uint8_t> data, uint32_t crc = 0);

}  // namespace util
