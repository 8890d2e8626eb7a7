#include "palvex/quant/Refiner.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace palvex::quant {
namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::clamp<long>(std::lround(v), 0, 255)); }

double distance(const double a[3], const std::array<uint8_t, 4>& e) {
  const double dr = a[0] - e[0], dg = a[1] - e[1], db = a[2] - e[2];
  return dr * dr + dg * dg + db * db;
}

// Assigns every colour to its nearest entry from `first` to `size` − 1
// (lowest index on ties) and returns the total weighted squared error.
// `error[i]` receives colour i's weighted error.
double assign(const Palette& palette, int first, const std::vector<Refiner::Colour>& colours,
              std::vector<int>& owner, std::vector<double>& error) {
  // Entries by green, so that a search stops once green alone is too far.
  std::vector<int> order;
  for (int i = first; i < palette.size; ++i) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return palette.entries[static_cast<size_t>(a)][1] < palette.entries[static_cast<size_t>(b)][1];
  });
  std::vector<double> green(order.size());
  for (size_t k = 0; k < order.size(); ++k)
    green[k] = palette.entries[static_cast<size_t>(order[k])][1];
  double total = 0;
  for (size_t c = 0; c < colours.size(); ++c) {
    const Refiner::Colour& col = colours[c];
    int best = -1;
    double bestDistance = INFINITY;
    auto consider = [&](size_t k) {
      const int i = order[k];
      const double d = distance(col.rgb, palette.entries[static_cast<size_t>(i)]);
      if (d < bestDistance || (d == bestDistance && i < best)) {
        bestDistance = d;
        best = i;
      }
    };
    const auto split = static_cast<size_t>(
        std::lower_bound(green.begin(), green.end(), col.rgb[1]) - green.begin());
    size_t up = split, down = split;
    bool upOpen = up<order.size(), downOpen = down> 0;
    while (upOpen || downOpen) {
      if (upOpen) {
        const double dg = green[up] - col.rgb[1];
        if (dg * dg > bestDistance) {
          upOpen = false;
        } else {
          consider(up++);
          upOpen = up < order.size();
        }
      }
      if (downOpen) {
        const double dg = col.rgb[1] - green[down - 1];
        if (dg * dg > bestDistance) {
          downOpen = false;
        } else {
          consider(--down);
          downOpen = down > 0;
        }
      }
    }
    owner[c] = best;
    error[c] = best < 0 ? 0 : col.weight * bestDistance;
    total += error[c];
  }
  return total;
}

}  // namespace

std::vector<Refiner::Colour> Refiner::colours(const std::vector<std::array<double, 4>>& sums) {
  std::vector<Colour> out;
  out.reserve(sums.size());
  for (size_t n = 1; n < sums.size(); ++n) {
    const std::array<double, 4>& s = sums[n];
    if (!(s[3] > 0)) continue;
    Colour c;
    c.weight = s[3];
    for (size_t k = 0; k < 3; ++k) c.rgb[k] = std::clamp(s[k] / s[3], 0.0, 255.0);
    out.push_back(c);
  }
  return out;
}

void Refiner::refine(Palette& palette, const std::vector<Colour>& colours, int fixed, int first) {
  palette.size = std::clamp(palette.size, 0, 256);
  fixed = std::clamp(fixed, 0, palette.size);
  first = std::clamp(first, 0, palette.size);
  if (colours.empty() || fixed >= palette.size || first >= palette.size) return;
  std::vector<int> owner(colours.size());
  std::vector<double> error(colours.size());
  double total = assign(palette, first, colours, owner, error);
  for (int round = 0; round < kRounds && total > 0; ++round) {
    std::vector<double> sums(static_cast<size_t>(palette.size) * 4, 0.0);
    for (size_t c = 0; c < colours.size(); ++c) {
      if (owner[c] < 0) continue;
      double* s = &sums[static_cast<size_t>(owner[c]) * 4];
      for (size_t k = 0; k < 3; ++k) s[k] += colours[c].weight * colours[c].rgb[k];
      s[3] += colours[c].weight;
    }
    Palette next = palette;
    // Entries that serve no colour take the worst-served ones: colours by
    // falling error (lowest number on ties), ranked when first needed.
    std::vector<size_t> worst;
    bool ranked = false;
    size_t taken = 0;
    for (int i = fixed; i < palette.size; ++i) {
      const double* s = &sums[static_cast<size_t>(i) * 4];
      if (s[3] > 0) {
        next.set(i, toByte(s[0] / s[3]), toByte(s[1] / s[3]), toByte(s[2] / s[3]));
        continue;
      }
      if (i < first) continue;
      if (!ranked) {
        for (size_t c = 0; c < colours.size(); ++c)
          if (error[c] > 0) worst.push_back(c);
        std::stable_sort(worst.begin(), worst.end(),
                         [&](size_t a, size_t b) { return error[a] > error[b]; });
        ranked = true;
      }
      if (taken == worst.size()) continue;
      const Colour& c = colours[worst[taken++]];
      next.set(i, toByte(c.rgb[0]), toByte(c.rgb[1]), toByte(c.rgb[2]));
    }
    if (next.entries == palette.entries) break;
    std::vector<int> nextOwner(colours.size());
    std::vector<double> nextError(colours.size());
    const double nextTotal = assign(next, first, colours, nextOwner, nextError);
    if (!(nextTotal < total)) break;
    palette = next;
    owner.swap(nextOwner);
    error.swap(nextError);
    total = nextTotal;
  }
}

}  // namespace palvex::quant
