#include "palvex/files/OutputBuffer.h"

#include <cstring>

namespace palvex::files {

bool OutputBuffer::put(std::span<const uint8_t> piece) {
  if (!ok_) return false;
  if (used_ + piece.size() > kCapacity && !flush()) return false;
  if (piece.size() > kCapacity) {
    ok_ = sink_.write(piece);
    return ok_;
  }
  if (!piece.empty()) std::memcpy(buffer_.data() + used_, piece.data(), piece.size());
  used_ += piece.size();
  return true;
}

bool OutputBuffer::flush() {
  if (!ok_) return false;
  if (used_ > 0) ok_ = sink_.write(std::span<const uint8_t>(buffer_.data(), used_));
  used_ = 0;
  return ok_;
}

}  // namespace palvex::files
