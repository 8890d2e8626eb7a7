#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "programs/vardobf/HashEntry.h"

namespace programs::vardobf {

// The totals' map from player key (HashEntry::key) to summary. Entries are
// enumerated in the order they were entered, so every save and every ranking
// sees the same order.
class PlayerMap {
 public:
  HashEntry* find(const std::string& key) {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second];
  }
  const HashEntry* find(const std::string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second];
  }
  // Enters `e` under `key`, replacing an entry of the same key.
  HashEntry& put(const std::string& key, HashEntry e) {
    auto [it, fresh] = index_.emplace(key, entries_.size());
    if (fresh) {
      entries_.push_back(std::move(e));
      return entries_.back();
    }
    entries_[it->second] = std::move(e);
    return entries_[it->second];
  }
  void reserve(size_t n) {
    entries_.reserve(n);
    index_.reserve(n);
  }
  size_t size() const { return entries_.size(); }
  const std::vector<HashEntry>& entries() const { return entries_; }

 private:
  std::vector<HashEntry> entries_;
  std::unordered_map<std::string, size_t> index_;
};

}  // namespace programs::vardobf
