#include "palvex/quant/Merger.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace palvex::quant {
namespace {

constexpr float kNoNeighbour = 1e30f;
// A bound is trusted only by this margin: a computed cost may fall short of
// the exact one by a few units in the last place.
constexpr double kMargin = 1.0 - 1e-5;
// Merges between two takings of the lightest weight.
constexpr int kRefresh = 64;
// About this many bins to a cell of the grid.
constexpr double kPerCell = 16;

void updateMeans(Bin& b) {
  for (int k = 0; k < 3; ++k) b.mean[k] = b.sum[k] / b.weight;
}

size_t at(int i) { return static_cast<size_t>(i); }

// The least of wx·wy ÷ (wx + wy) over every wy of at least `lightest`.
double leastHarmonic(double wx, double lightest) { return wx * lightest / (wx + lightest); }

// The state of a merge. The rule merges the pair (a, b), a < b, of least
// cost, the lowest a and then the lowest b on ties. Each bin records its
// nearest neighbour among all other bins (least cost, then the pair with the
// lowest numbers), so the least recorded pair is that pair; three indexes
// keep this exact without scanning every bin for every merge:
// - a tournament tree over the recorded pairs for the next merge;
// - a uniform grid over the means with, per cell, a lower bound of its bins'
//   weights and an upper bound of their recorded costs, so that whole cells
//   too far away to matter are passed over (bins that a far new bin could
//   still win are kept on a list of their own);
// - per bin, the bins that recorded it as their neighbour (checked when
//   read: an entry whose bin has since moved on is skipped).
// Every cost that decides anything is Merger::cost's single-precision
// arithmetic; the bounds only pass over bins that cannot win or tie.
class MergeState {
 public:
  explicit MergeState(std::vector<Bin>& bins)
      : bins_(bins), count_(static_cast<int>(bins.size()) - 1) {
    buildGrid();
    leaves_ = 1;
    while (leaves_ < count_ + 1) leaves_ *= 2;
    least_.assign(2 * at(leaves_), 0);
    pointedAtBy_.assign(at(count_) + 1, {});
    mark_.assign(at(count_) + 1, 0);
    wide_.assign(at(count_) + 1, 0);
    onWideList_.assign(at(count_) + 1, 0);
    wideReach_ = 4 * size_ * size_;
    for (int x = 1; x <= count_; ++x) findNeighbour(x);
    for (int node = leaves_ - 1; node >= 1; --node) pull(node);
  }

  int count() const { return count_; }

  void mergeNext() {
    // The pair of least cost, the lowest-numbered first on ties: what the
    // bin a with the least recorded cost among higher-numbered bins (the
    // lowest-numbered on ties) and its neighbour b give.
    const int w = least_[1];
    const int a = std::min(w, bins_[at(w)].neighbour);
    const int b = std::max(w, bins_[at(w)].neighbour);
    const int h = count_;

    // The bins to look at again: a and b, and those that pointed at a, b
    // or the highest bin (which moves into a).
    redo_.clear();
    ++stamp_;
    take(a);
    for (int y : {a, b, h}) {
      for (int x : pointedAtBy_[at(y)])
        if (x <= count_ && bins_[at(x)].neighbour == y) take(x);
      pointedAtBy_[at(y)].clear();
    }

    removeFromCell(a);
    removeFromCell(b);
    Bin& into = bins_[at(b)];
    const Bin& from = bins_[at(a)];
    for (int k = 0; k < 3; ++k) into.sum[k] += from.sum[k];
    into.weight += from.weight;
    updateMeans(into);
    if (b != h) {
      addToCell(b);
      removeFromCell(h);
    }
    // a < b <= h, so the highest bin always moves into a.
    bins_[at(a)] = bins_[at(h)];
    bins_.pop_back();
    --count_;
    addToCell(a);
    setLeaf(h);

    const int changedB = b <= count_ ? b : 0;
    if (changedB != 0) take(changedB);
    // The bins that keep their neighbour may find a and b nearer.
    offer(a);
    if (changedB != 0) offer(changedB);
    for (int x : redo_)
      if (x <= count_) findNeighbour(x);
    if (++merges_ % kRefresh == 0) refresh();
  }

 private:
  // Merged bins only grow heavier, so the lightest weight rises as light
  // bins are merged away: taking it anew narrows every search.
  void refresh() {
    lightest_ = std::numeric_limits<double>::infinity();
    for (int x = 1; x <= count_; ++x)
      lightest_ = std::min(lightest_, static_cast<double>(bins_[at(x)].weight));
    for (CellInfo& cell : cells_) {
      cell.leastWeight = std::numeric_limits<float>::infinity();
      for (const Member& e : cell.members) cell.leastWeight = std::min(cell.leastWeight, e.weight);
    }
    wideList_.clear();
    for (int x = 1; x <= count_; ++x) {
      const Bin& bx = bins_[at(x)];
      wide_[at(x)] = bx.neighbour != 0 && isWide(bx);
      onWideList_[at(x)] = wide_[at(x)];
      if (wide_[at(x)]) wideList_.push_back(x);
    }
  }
  bool isWide(const Bin& bx) const {
    return bx.cost / (leastHarmonic(bx.weight, lightest_) * kMargin) > wideReach_;
  }

  void take(int x) {
    if (mark_[at(x)] == stamp_) return;
    mark_[at(x)] = stamp_;
    redo_.push_back(x);
  }

  // --- the tournament tree ---

  // Whether the pair (x, y) comes before (x, z): by the lower number, then
  // by the higher.
  static bool pairBefore(int x, int y, int z) {
    const int lo1 = std::min(x, y), hi1 = std::max(x, y);
    const int lo2 = std::min(x, z), hi2 = std::max(x, z);
    return lo1 < lo2 || (lo1 == lo2 && hi1 < hi2);
  }
  // Whether bin x's recorded pair comes before bin y's.
  bool before(int x, int y) const {
    const float cx = leafCost(x);
    const float cy = leafCost(y);
    if (cx != cy) return cx < cy;
    if (cx == std::numeric_limits<float>::infinity()) return x < y;
    const int nx = bins_[at(x)].neighbour, ny = bins_[at(y)].neighbour;
    const int lx = std::min(x, nx), ly = std::min(y, ny);
    if (lx != ly) return lx < ly;
    return std::max(x, nx) < std::max(y, ny);
  }
  float leafCost(int x) const {
    return x >= 1 && x <= count_ ? bins_[at(x)].cost : std::numeric_limits<float>::infinity();
  }
  void pull(int node) {
    const int l = least_[at(2 * node)];
    const int r = least_[at(2 * node + 1)];
    least_[at(node)] = before(r, l) ? r : l;
  }
  void setLeaf(int x) {
    size_t node = at(leaves_ + x);
    least_[node] = x;
    for (node /= 2; node >= 1; node /= 2) pull(static_cast<int>(node));
  }
  void record(int x, float cost, int neighbour) {
    Bin& bx = bins_[at(x)];
    bx.cost = cost;
    bx.neighbour = neighbour;
    wide_[at(x)] = 0;
    if (neighbour != 0) {
      pointedAtBy_[at(neighbour)].push_back(x);
      CellInfo& cell = cells_[at(cellOf_[at(x)])];
      cell.mostCost = std::max(cell.mostCost, cost);
      // Bins that a new bin far away could still win go on a list of their
      // own, so that the grid is searched only near the new bin.
      if (isWide(bx)) {
        wide_[at(x)] = 1;
        if (!onWideList_[at(x)]) {
          onWideList_[at(x)] = 1;
          wideList_.push_back(x);
        }
      }
    }
    setLeaf(x);
  }

  // --- the grid ---

  // A bin in a cell, with a copy of its means and weight at hand.
  struct Member {
    int32_t bin;
    float mean[3];
    float weight;
  };
  struct CellInfo {
    std::vector<Member> members;
    float leastWeight = std::numeric_limits<float>::infinity();
    float mostCost = 0;
  };

  void buildGrid() {
    double lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::numeric_limits<double>::infinity();
      hi[k] = -std::numeric_limits<double>::infinity();
    }
    lightest_ = std::numeric_limits<double>::infinity();
    for (int x = 1; x <= count_; ++x) {
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], static_cast<double>(bins_[at(x)].mean[k]));
        hi[k] = std::max(hi[k], static_cast<double>(bins_[at(x)].mean[k]));
      }
      lightest_ = std::min(lightest_, static_cast<double>(bins_[at(x)].weight));
    }
    double volume = 1;
    for (int k = 0; k < 3; ++k) volume *= std::max(hi[k] - lo[k], 1.0);
    const double wanted = std::max(1.0, count_ / kPerCell);
    // The cell size is made smaller until enough cells are in use: the
    // means often fill a thin part of their bounding box.
    size_ = std::max(std::cbrt(volume / wanted), 0.5);
    std::vector<uint8_t> used;
    for (int round = 0; round < 12; ++round) {
      for (int k = 0; k < 3; ++k) {
        origin_[k] = count_ > 0 ? lo[k] : 0;
        const double n = count_ > 0 ? std::ceil((hi[k] - lo[k]) / size_) : 1;
        dims_[k] = static_cast<int>(std::clamp(n, 1.0, 64.0));
      }
      used.assign(at(dims_[0] * dims_[1] * dims_[2]), 0);
      int inUse = 0;
      for (int x = 1; x <= count_; ++x) {
        int c[3];
        cellOfPoint(bins_[at(x)], c);
        uint8_t& u = used[at(cellIndex(c))];
        if (!u) ++inUse;
        u = 1;
      }
      if (inUse >= wanted || size_ <= 0.5 || used.size() >= 64 * 64 * 64) break;
      size_ = std::max(size_ / 1.26, 0.5);
    }
    cells_.assign(at(dims_[0] * dims_[1] * dims_[2]), {});
    cellOf_.assign(at(count_) + 1, 0);
    for (int x = 1; x <= count_; ++x) addToCell(x);
  }

  int coordinate(double v, int k) const {
    const double c = std::floor((v - origin_[k]) / size_);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(dims_[k] - 1)));
  }
  int cellIndex(const int c[3]) const { return (c[0] * dims_[1] + c[1]) * dims_[2] + c[2]; }
  void cellOfPoint(const Bin& b, int c[3]) const {
    for (int k = 0; k < 3; ++k) c[k] = coordinate(b.mean[k], k);
  }
  void addToCell(int x) {
    int c[3];
    cellOfPoint(bins_[at(x)], c);
    const int cell = cellIndex(c);
    cellOf_[at(x)] = cell;
    CellInfo& info = cells_[at(cell)];
    const Bin& b = bins_[at(x)];
    info.members.push_back({x, {b.mean[0], b.mean[1], b.mean[2]}, b.weight});
    info.leastWeight = std::min(info.leastWeight, bins_[at(x)].weight);
  }
  void removeFromCell(int x) {
    auto& m = cells_[at(cellOf_[at(x)])].members;
    auto it = std::find_if(m.begin(), m.end(), [x](const Member& e) { return e.bin == x; });
    if (it == m.end()) return;
    *it = m.back();
    m.pop_back();
  }

  // The squared distance from p to cell c, whose outer cells reach out
  // without end (means may stray a rounding step beyond the first ones).
  double cellDistance(const double p[3], const int c[3]) const {
    double sum = 0;
    for (int k = 0; k < 3; ++k) {
      const double lo = origin_[k] + c[k] * size_;
      const double hi = lo + size_;
      double d = 0;
      if (c[k] > 0 && p[k] < lo) d = lo - p[k];
      if (c[k] < dims_[k] - 1 && p[k] > hi) d = p[k] - hi;
      sum += d * d;
    }
    return sum;
  }

  // The least squared distance from p (in cell c) to any cell at ring r
  // (Chebyshev distance r in cells); negative when no such cell exists.
  double ringDistance(const double p[3], const int c[3], int r) const {
    double least = std::numeric_limits<double>::infinity();
    bool any = false;
    for (int k = 0; k < 3; ++k) {
      if (c[k] + r <= dims_[k] - 1) {
        any = true;
        least = std::min(least, origin_[k] + (c[k] + r) * size_ - p[k]);
      }
      if (c[k] - r >= 0) {
        any = true;
        least = std::min(least, p[k] - (origin_[k] + (c[k] - r + 1) * size_));
      }
    }
    if (!any) return -1;
    least = std::max(least, 0.0);
    return least * least;
  }

  // Calls visit(cell coordinates) for every cell at ring r around c.
  template <typename Visit>
  void forRing(const int c[3], int r, Visit&& visit) const {
    int lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::max(c[k] - r, 0);
      hi[k] = std::min(c[k] + r, dims_[k] - 1);
    }
    int q[3];
    for (q[0] = lo[0]; q[0] <= hi[0]; ++q[0]) {
      const bool edge0 = q[0] == c[0] - r || q[0] == c[0] + r;
      for (q[1] = lo[1]; q[1] <= hi[1]; ++q[1]) {
        const bool edge1 = edge0 || q[1] == c[1] - r || q[1] == c[1] + r;
        if (edge1) {
          for (q[2] = lo[2]; q[2] <= hi[2]; ++q[2]) visit(q);
        } else {
          if (c[2] - r >= 0) {
            q[2] = c[2] - r;
            visit(q);
          }
          if (r > 0 && c[2] + r <= dims_[2] - 1) {
            q[2] = c[2] + r;
            visit(q);
          }
        }
      }
    }
  }

  // --- the two searches ---

  // Records x's nearest neighbour among all other bins: the least cost,
  // then the pair with the lowest numbers. The least recorded pair over all
  // bins is then the least pair overall, which is the merge the rule picks.
  void findNeighbour(int x) {
    const Bin& bx = bins_[at(x)];
    if (count_ < 2) {
      record(x, kNoNeighbour, 0);
      return;
    }
    int best = 0;
    float bestCost = 0;
    const double p[3] = {bx.mean[0], bx.mean[1], bx.mean[2]};
    const double wx = bx.weight;
    const double reach = leastHarmonic(wx, lightest_) * kMargin;
    int c[3];
    cellOfPoint(bx, c);
    for (int r = 0;; ++r) {
      if (r > 0) {
        const double ring = ringDistance(p, c, r);
        if (ring < 0) break;
        if (best != 0 && ring * reach > bestCost) break;
      }
      forRing(c, r, [&](const int q[3]) {
        const CellInfo& cell = cells_[at(cellIndex(q))];
        if (cell.members.empty()) return;
        if (best != 0 &&
            cellDistance(p, q) * leastHarmonic(wx, cell.leastWeight) * kMargin > bestCost)
          return;
        for (const Member& e : cell.members) {
          if (e.bin == x) continue;
          // The same arithmetic as Merger::cost.
          const float d0 = bx.mean[0] - e.mean[0];
          const float d1 = bx.mean[1] - e.mean[1];
          const float d2 = bx.mean[2] - e.mean[2];
          const float distance = d0 * d0 + d1 * d1 + d2 * d2;
          // wx·wy ÷ (wx + wy) is at least half the lighter weight.
          if (best != 0 &&
              static_cast<double>(distance) * 0.5 * std::min(bx.weight, e.weight) * kMargin >
                  bestCost)
            continue;
          const float cost = bx.weight * e.weight / (bx.weight + e.weight) * distance;
          if (best == 0 || cost < bestCost || (cost == bestCost && pairBefore(x, e.bin, best))) {
            bestCost = cost;
            best = e.bin;
          }
        }
      });
    }
    record(x, bestCost, best);
  }

  // Every other bin whose cost to y is below its recorded one (or equal,
  // with the pair numbered lower) takes y.
  void offer(int y) {
    const Bin& by = bins_[at(y)];
    const double p[3] = {by.mean[0], by.mean[1], by.mean[2]};
    auto take = [&](int x) {
      Bin& bx = bins_[at(x)];
      const float cost = Merger::cost(bx, by);
      if (cost < bx.cost || (cost == bx.cost && pairBefore(x, y, bx.neighbour))) record(x, cost, y);
    };
    size_t kept = 0;
    for (size_t i = 0; i < wideList_.size(); ++i) {
      const int x = wideList_[i];
      if (x > count_ || !wide_[at(x)]) {
        onWideList_[at(x)] = 0;
        continue;
      }
      wideList_[kept++] = x;
      if (x != y && mark_[at(x)] != stamp_) take(x);
    }
    wideList_.resize(kept);
    int c[3];
    cellOfPoint(by, c);
    for (int r = 0;; ++r) {
      if (r > 0) {
        const double ring = ringDistance(p, c, r);
        if (ring < 0 || ring > wideReach_) break;
      }
      forRing(c, r, [&](const int q[3]) {
        CellInfo& cell = cells_[at(cellIndex(q))];
        if (cell.members.empty()) return;
        if (cellDistance(p, q) * leastHarmonic(by.weight, cell.leastWeight) * kMargin >
            cell.mostCost)
          return;
        float mostCost = 0;
        for (const Member& e : cell.members) {
          const int x = e.bin;
          if (x != y && mark_[at(x)] != stamp_ && !wide_[at(x)]) take(x);
          mostCost = std::max(mostCost, bins_[at(x)].cost);
        }
        cell.mostCost = std::max(mostCost, 0.0f);
      });
    }
  }

  std::vector<Bin>& bins_;
  int count_;

  int leaves_ = 1;
  std::vector<int> least_;

  double origin_[3] = {0, 0, 0};
  double size_ = 1;
  int dims_[3] = {1, 1, 1};
  double lightest_ = 0;
  std::vector<CellInfo> cells_;
  std::vector<int> cellOf_;

  std::vector<std::vector<int>> pointedAtBy_;
  std::vector<uint32_t> mark_;
  uint32_t stamp_ = 0;
  std::vector<int> redo_;
  double wideReach_ = 0;
  std::vector<uint8_t> wide_;
  std::vector<uint8_t> onWideList_;
  std::vector<int> wideList_;
  int merges_ = 0;
};

}  // namespace

float Merger::cost(const Bin& a, const Bin& b) {
  const float d0 = a.mean[0] - b.mean[0];
  const float d1 = a.mean[1] - b.mean[1];
  const float d2 = a.mean[2] - b.mean[2];
  const float distance = d0 * d0 + d1 * d1 + d2 * d2;
  return a.weight * b.weight / (a.weight + b.weight) * distance;
}

void Merger::merge(std::vector<Bin>& bins, int target, bool squareRootWeights, bool debug) {
  const int count = static_cast<int>(bins.size()) - 1;
  if (target < 1) target = 1;
  for (int x = 1; x <= count; ++x) {
    Bin& b = bins[static_cast<size_t>(x)];
    if (squareRootWeights) {
      const float root = std::sqrt(b.weight);
      for (int k = 0; k < 3; ++k) b.sum[k] = root * (b.sum[k] / b.weight);
      b.weight = root;
    }
    updateMeans(b);
  }
  if (count <= target) return;

  MergeState state(bins);
  int merges = 0;
  while (state.count() > target) {
    state.mergeNext();
    if (debug && ++merges % 32 == 0) std::printf("\rPass2: %5d ", state.count());
  }
}

}  // namespace palvex::quant
