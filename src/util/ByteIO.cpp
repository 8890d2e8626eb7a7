#include "util/ByteIO.h"

#include <array>
#include <bit>
#include <limits>

#include "base/Failure.h"

namespace util {
namespace {

std::array<uint32_t, 256> makeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

}  // namespace

void ByteWriter::putUInt32(uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(v >> shift));
}

void ByteWriter::putInt32(int32_t v) { putUInt32(static_cast<uint32_t>(v)); }

void ByteWriter::putInt64(int64_t v) {
  auto u = static_cast<uint64_t>(v);
  for (int shift = 56; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(u >> shift));
}

void ByteWriter::putDouble(double v) { putInt64(std::bit_cast<int64_t>(v)); }

void ByteWriter::putBytes(std::span<const uint8_t> data) {
  bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void ByteWriter::putString(std::string_view s) {
  if (s.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw base::FormatError("string of " + std::to_string(s.size()) +
                            " bytes is too long to store");
  putInt32(static_cast<int32_t>(s.size()));
  putBytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
}

void ByteReader::require(size_t n) const {
  if (n > data_.size() - pos_)
    throw base::FormatError(std::to_string(n) + " bytes needed at offset " + std::to_string(pos_) +
                            " of " + std::to_string(data_.size()));
}

uint8_t ByteReader::readUInt8() {
  require(1);
  return data_[pos_++];
}

uint32_t ByteReader::readUInt32() {
  require(4);
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | data_[pos_++];
  return v;
}

int32_t ByteReader::readInt32() { return static_cast<int32_t>(readUInt32()); }

int64_t ByteReader::readInt64() {
  require(8);
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v = (v << 8) | data_[pos_++];
  return static_cast<int64_t>(v);
}

double ByteReader::readDouble() { return std::bit_cast<double>(readInt64()); }

std::span<const uint8_t> ByteReader::readBytes(size_t n) {
  require(n);
  auto out = data_.subspan(pos_, n);
  pos_ += n;
  return out;
}

std::string ByteReader::readString(size_t maxLength) {
  const size_t start = pos_;
  const int32_t count = readInt32();
  if (count < 0 || static_cast<size_t>(count) > maxLength ||
      static_cast<size_t>(count) > remaining()) {
    pos_ = start;
    throw base::FormatError("string length " + std::to_string(count) + " at offset " +
                            std::to_string(start) + " out of range");
  }
  auto bytes = readBytes(static_cast<size_t>(count));
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void storeInt32(uint8_t* at, int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(u >> (24 - 8 * i));
}

int32_t loadInt32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | at[i];
  return static_cast<int32_t>(v);
}

uint32_t crc32(std::span<const uint8_t> data, uint32_t crc) {
  static const std::array<uint32_t, 256> table = makeCrcTable();
  uint32_t c = crc ^ 0xFFFFFFFFu;
  for (uint8_t b : data) c = table[(c ^ b) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

}  // namespace util
