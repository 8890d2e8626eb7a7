#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace palvex::quant {

// A file's palette in short: its colours and each colour's share of the
// file's total weight.
struct PaletteSummary {
  std::vector<std::array<uint8_t, 3>> colours;
  std::vector<float> weights;
};

// Groups files whose palettes are close (complete linkage).
class Clustering {
 public:
  // From `a` to `b`: √(Σ over a's colours of weight × the smallest squared
  // RGB distance to b's colours) ÷ 3; 0 when a is empty, and 10^25 stands
  // for the smallest distance when b is empty.
  static double distance(const PaletteSummary& a, const PaletteSummary& b);

  // files × files, each pair the smaller of its two directions. Nothing
  // when the matrix cannot be allocated.
  static std::optional<std::vector<float>> matrix(const std::vector<PaletteSummary>& summaries);

  // One merge round's pick: clusters i < j and their distance.
  struct Pick {
    int i = 0;
    int j = 0;
    float distance = 0;
  };

  explicit Clustering(std::vector<float> matrix, int files);

  int count() const { return static_cast<int>(members_.size()); }
  const std::vector<std::vector<int>>& clusters() const { return members_; }
  // The largest file distance between the members of clusters a and b.
  float linkage(int a, int b) const;
  // The closest pair, scanning i ascending then j ascending; on equal
  // distances the later pair wins when `laterWins`, else the first.
  Pick closest(bool laterWins) const;
  // Appends cluster i's members to cluster j; the last cluster takes
  // number i.
  void merge(const Pick& pick);

 private:
  std::vector<float> matrix_;
  int files_;
  std::vector<std::vector<int>> members_;
};

}  // namespace palvex::quant
