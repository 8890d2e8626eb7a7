#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The CD drives holding a medium, as folders where each medium's root is.
class CdDrives {
 public:
  virtual ~CdDrives() = default;
  // The roots in drive order. Empty when there is no drive with a medium.
  virtual std::vector<std::string> roots() = 0;
};

// The Linux side: the list in the variable ZEPHGO_CDROMS when it is set
// (folders separated by ":"), else the mounted optical media (iso9660 and udf
// file systems in /proc/self/mounts) in mount order.
class SystemCdDrives : public CdDrives {
 public:
  // `override` is the value of ZEPHGO_CDROMS, null when it is not set.
  explicit SystemCdDrives(const char* override, std::string mountTable = "/proc/self/mounts");
  std::vector<std::string> roots() override;

  // The mount points of the optical media in a mount table's text (fields
  // separated by blanks, "\040"-style octal escapes in names).
  static std::vector<std::string> opticalMounts(std::string_view mountsText);
  // "a:b::c" -> a, b, c (empty items are dropped).
  static std::vector<std::string> splitList(std::string_view list);

 private:
  bool haveOverride_;
  std::string override_;
  std::string mountTable_;
};

// The test double: a fixed list of roots.
class FakeCdDrives : public CdDrives {
 public:
  explicit FakeCdDrives(std::vector<std::string> roots = {}) : roots_(std::move(roots)) {}
  std::vector<std::string> roots() override {
    ++calls_;
    return roots_;
  }
  int calls() const { return calls_; }

 private:
  std::vector<std::string> roots_;
  int calls_ = 0;
};

}  // namespace platform
