#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <span>
#include <utility>
#include <vector>

#include "platform/Os.h"

namespace programs::vardobf::detail {

// The file as it will be once the pending writes are applied: the bytes of
// the file as opened (its first `base` bytes), written extents on top, and
// zeros everywhere else up to `length`. Zeros written beyond `base` are not
// kept: applying truncates the file to `base` before extending it.
class Overlay {
 public:
  void reset(int64_t base) {
    extents_.clear();
    base_ = base;
    length_ = base;
  }
  int64_t base() const { return base_; }
  int64_t length() const { return length_; }
  const std::map<int64_t, std::vector<uint8_t>>& extents() const { return extents_; }

  void write(int64_t offset, std::span<const uint8_t> data) {
    if (data.empty()) return;
    const int64_t end = offset + static_cast<int64_t>(data.size());
    erase(offset, end);
    extents_.emplace(offset, std::vector<uint8_t>(data.begin(), data.end()));
    length_ = std::max(length_, end);
  }

  void writeZeros(int64_t offset, int64_t count) {
    if (count <= 0) return;
    const int64_t end = offset + count;
    if (offset < base_) {
      const int64_t stored = std::min(end, base_) - offset;
      write(offset, std::vector<uint8_t>(static_cast<size_t>(stored), 0));
    }
    if (end > base_) erase(std::max(offset, base_), end);
    length_ = std::max(length_, end);
  }

  // Bytes from `offset` on; those at or beyond the length read as zero.
  void read(const platform::File& file, int64_t offset, std::span<uint8_t> out) const {
    std::fill(out.begin(), out.end(), uint8_t{0});
    const int64_t end = offset + static_cast<int64_t>(out.size());
    const int64_t fromFile = std::min({end, base_, length_}) - offset;
    if (fromFile > 0) file.readAt(offset, out.first(static_cast<size_t>(fromFile)));
    for (auto it = first(offset); it != extents_.end() && it->first < end; ++it) {
      const int64_t from = std::max(offset, it->first);
      const int64_t to = std::min(end, it->first + static_cast<int64_t>(it->second.size()));
      std::copy(it->second.begin() + (from - it->first), it->second.begin() + (to - it->first),
                out.begin() + (from - offset));
    }
  }

 private:
  using Map = std::map<int64_t, std::vector<uint8_t>>;

  // The first extent that ends after `offset`.
  template <typename M>
  static auto firstOf(M& map, int64_t offset) {
    auto it = map.upper_bound(offset);
    if (it != map.begin()) {
      auto prev = std::prev(it);
      if (prev->first + static_cast<int64_t>(prev->second.size()) > offset) return prev;
    }
    return it;
  }
  Map::iterator first(int64_t offset) { return firstOf(extents_, offset); }
  Map::const_iterator first(int64_t offset) const { return firstOf(extents_, offset); }

  // Removes [from, to) from the extents, keeping the parts outside.
  void erase(int64_t from, int64_t to) {
    auto it = first(from);
    while (it != extents_.end() && it->first < to) {
      const int64_t start = it->first;
      std::vector<uint8_t> data = std::move(it->second);
      const int64_t end = start + static_cast<int64_t>(data.size());
      it = extents_.erase(it);
      if (start < from)
        extents_.emplace(start, std::vector<uint8_t>(data.begin(), data.begin() + (from - start)));
      if (end > to)
        extents_.emplace(to, std::vector<uint8_t>(data.begin() + (to - start), data.end()));
    }
  }

  Map extents_;
  int64_t base_ = 0;
  int64_t length_ = 0;
};

}  // namespace programs::vardobf::detail
