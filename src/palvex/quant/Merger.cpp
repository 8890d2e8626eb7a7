#include "palvex/quant/Merger.h"

#include <cmath>
#include <cstdio>

namespace palvex::quant {
namespace {

constexpr float kNoNeighbour = 1e30f;

void updateMeans(Bin& b) {
  for (int k = 0; k < 3; ++k) b.mean[k] = b.sum[k] / b.weight;
}

}  // namespace

float Merger::cost(const Bin& a, const Bin& b) {
  const float d0 = a.mean[0] - b.mean[0];
  const float d1 = a.mean[1] - b.mean[1];
  const float d2 = a.mean[2] - b.mean[2];
  const float distance = d0 * d0 + d1 * d1 + d2 * d2;
  return a.weight * b.weight / (a.weight + b.weight) * distance;
}

void Merger::findNeighbour(std::vector<Bin>& bins, int x, int count) {
  Bin& bx = bins[static_cast<size_t>(x)];
  if (x >= count) {
    bx.cost = kNoNeighbour;
    bx.neighbour = 0;
    return;
  }
  int best = x + 1;
  float bestCost = cost(bx, bins[static_cast<size_t>(best)]);
  for (int y = x + 2; y <= count; ++y) {
    const float c = cost(bx, bins[static_cast<size_t>(y)]);
    if (c < bestCost) {
      bestCost = c;
      best = y;
    }
  }
  bx.cost = bestCost;
  bx.neighbour = best;
}

void Merger::merge(std::vector<Bin>& bins, int target, bool squareRootWeights, bool debug) {
  int count = static_cast<int>(bins.size()) - 1;
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
  for (int x = 1; x <= count; ++x) findNeighbour(bins, x, count);

  int merges = 0;
  while (count > target) {
    int a = 1;
    for (int x = 2; x <= count; ++x)
      if (bins[static_cast<size_t>(x)].cost < bins[static_cast<size_t>(a)].cost) a = x;
    const int b = bins[static_cast<size_t>(a)].neighbour;
    const int h = count;
    Bin& into = bins[static_cast<size_t>(b)];
    const Bin& from = bins[static_cast<size_t>(a)];
    for (int k = 0; k < 3; ++k) into.sum[k] += from.sum[k];
    into.weight += from.weight;
    updateMeans(into);
    // a < b <= h, so the highest bin always moves into a.
    bins[static_cast<size_t>(a)] = bins[static_cast<size_t>(h)];
    bins.pop_back();
    --count;
    // The bins whose content changed: a (now the former highest bin, which
    // holds the merged bin when b was the highest) and b when it remains.
    const int changedB = b <= count ? b : 0;
    for (int x = 1; x <= count; ++x) {
      Bin& bx = bins[static_cast<size_t>(x)];
      const int nb = bx.neighbour;
      if (x == a || x == changedB || nb == a || nb == b || nb == h) {
        findNeighbour(bins, x, count);
        continue;
      }
      for (int y : {a, changedB}) {
        if (y <= x) continue;
        const float c = cost(bx, bins[static_cast<size_t>(y)]);
        if (c < bx.cost || (c == bx.cost && y < bx.neighbour)) {
          bx.cost = c;
          bx.neighbour = y;
        }
      }
    }
    if (debug && ++merges % 32 == 0) std::printf("\rPass2: %5d ", count);
  }
  bins.resize(static_cast<size_t>(count) + 1);
}

}  // namespace palvex::quant
