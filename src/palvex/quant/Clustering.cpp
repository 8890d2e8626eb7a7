#include "palvex/quant/Clustering.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace palvex::quant {

double Clustering::distance(const PaletteSummary& a, const PaletteSummary& b) {
  if (a.colours.empty()) return 0;
  double sum = 0;
  for (size_t c = 0; c < a.colours.size(); ++c) {
    double best = 1e25;
    for (const auto& d : b.colours) {
      double sq = 0;
      for (size_t k = 0; k < 3; ++k) {
        const double diff = static_cast<double>(a.colours[c][k]) - d[k];
        sq += diff * diff;
      }
      best = std::min(best, sq);
    }
    sum += static_cast<double>(a.weights[c]) * best;
  }
  return std::sqrt(sum) / 3;
}

std::optional<std::vector<float>> Clustering::matrix(const std::vector<PaletteSummary>& summaries) {
  const size_t n = summaries.size();
  std::vector<float> m;
  try {
    m.assign(n * n, 0.0f);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = a + 1; b < n; ++b) {
      const double ab = distance(summaries[a], summaries[b]);
      const double ba = distance(summaries[b], summaries[a]);
      m[a * n + b] = m[b * n + a] = static_cast<float>(std::min(ab, ba));
    }
  }
  return m;
}

Clustering::Clustering(std::vector<float> matrix, int files)
    : matrix_(std::move(matrix)), files_(files) {
  for (int f = 0; f < files; ++f) members_.push_back({f});
}

float Clustering::linkage(int a, int b) const {
  float worst = 0;
  for (int x : members_[static_cast<size_t>(a)]) {
    for (int y : members_[static_cast<size_t>(b)]) {
      worst = std::max(
          worst,
          matrix_[static_cast<size_t>(x) * static_cast<size_t>(files_) + static_cast<size_t>(y)]);
    }
  }
  return worst;
}

Clustering::Pick Clustering::closest(bool laterWins) const {
  Pick best;
  bool any = false;
  for (int i = 0; i < count(); ++i) {
    for (int j = i + 1; j < count(); ++j) {
      const float d = linkage(i, j);
      if (!any || d < best.distance || (laterWins && d == best.distance)) {
        best = {i, j, d};
        any = true;
      }
    }
  }
  return best;
}

void Clustering::merge(const Pick& pick) {
  auto& to = members_[static_cast<size_t>(pick.j)];
  auto& from = members_[static_cast<size_t>(pick.i)];
  to.insert(to.end(), from.begin(), from.end());
  members_[static_cast<size_t>(pick.i)] = std::move(members_.back());
  members_.pop_back();
}

}  // namespace palvex::quant
