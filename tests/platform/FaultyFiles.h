#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/FileFaults.h"

namespace testing_support {

// Makes chosen file operations fail while it lives (the failing side of the
// platform's failure-injection seam). Each rule fails one operation on the
// paths that end in a suffix, a given number of times or always.
class FaultyFiles : public platform::FileFaults {
 public:
  FaultyFiles() { install(this); }
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;
  ~FaultyFiles() override { install(nullptr); }

  // Fails `op` on paths ending in `suffix`; `times` below 0 means always.
  void fail(Op op, std::string suffix, int times = -1) {
    rules_.push_back({op, std::move(suffix), times});
  }
  void clear() { rules_.clear(); }
  // Failures injected so far.
  int injected() const { return injected_; }

  bool fails(Op op, const std::string& path) override {
    for (Rule& r : rules_) {
      if (r.op != op || r.times == 0 || path.size() < r.suffix.size() ||
          path.compare(path.size() - r.suffix.size(), r.suffix.size(), r.suffix) != 0)
        continue;
      if (r.times > 0) --r.times;
      ++injected_;
      return true;
    }
    return false;
  }

 private:
  struct Rule {
    Op op;
    std::string suffix;
    int times;
  };
  std::vector<Rule> rules_;
  int injected_ = 0;
};

}  // namespace testing_support
