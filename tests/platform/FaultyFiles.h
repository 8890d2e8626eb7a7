#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FaultyOs.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"

namespace testing_support {

// Makes chosen file operations of the system in force fail while it lives.
// Each rule fails one operation on the paths that end in a suffix, a given
// number of times or always.
class FaultyFiles : public platform::FaultyOs {
 public:
  FaultyFiles() : FaultyOs(platform::os()), inForce_(*this) {}
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;

  // Fails `op` on paths ending in `suffix`, where a "/" of `suffix` stands
  // for any separator of the system; `times` below 0 means always.
  void fail(Op op, std::string suffix, int times = -1) {
    rules_.push_back({op, std::move(suffix), times});
  }
  void clear() { rules_.clear(); }
  // Failures injected so far.
  int injected() const { return injected_; }

  bool fails(Op op, const std::string& path) override {
    for (Rule& r : rules_) {
      if (r.op != op || r.times == 0 || !endsWith(path, r.suffix)) continue;
      if (r.times > 0) --r.times;
      ++injected_;
      return true;
    }
    return false;
  }

 private:
  static bool endsWith(const std::string& path, const std::string& suffix) {
    if (path.size() < suffix.size()) return false;
    const size_t start = path.size() - suffix.size();
    for (size_t i = 0; i < suffix.size(); ++i) {
      const char p = path[start + i];
      const bool same = suffix[i] == '/' ? std::string_view(platform::kSeparators).find(p) !=
                                               std::string_view::npos
                                         : p == suffix[i];
      if (!same) return false;
    }
    return true;
  }
  struct Rule {
    Op op;
    std::string suffix;
    int times;
  };
  std::vector<Rule> rules_;
  int injected_ = 0;
  platform::ScopedOs inForce_;
};

}  // namespace testing_support
