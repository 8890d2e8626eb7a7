#include "palvex/quant/Mapper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "palvex/masks/MaskDetector.h"
#include "palvex/masks/Scaler.h"

namespace palvex::quant {
namespace {

// The designed channel weights of the distance, and the plain RGB ones of
// -refine.
constexpr std::array<int64_t, 3> kDesigned{17, 32, 9};
constexpr std::array<int64_t, 3> kPlain{1, 1, 1};

// The palette in the weighted form the distance uses, with the searched
// entries ordered by their weighted green so that a search can stop once the
// green difference alone exceeds the best distance found.
struct Weighted {
  std::array<int64_t, 3> k = kDesigned;
  int first = 0;
  int size = 0;
  int64_t c[256][3] = {};
  int count = 0;            // entries searched: first .. size - 1
  int order[256] = {};      // their indices, by weighted green
  int64_t green[256] = {};  // weighted green of order[k]
};

Weighted weigh(const Palette& palette, int first, const std::array<int64_t, 3>& scale) {
  Weighted w;
  w.k = scale;
  w.first = first;
  w.size = std::clamp(palette.size, 0, 256);
  for (int i = 0; i < 256; ++i) {
    for (size_t ch = 0; ch < 3; ++ch)
      w.c[i][ch] = scale[ch] * palette.entries[static_cast<size_t>(i)][ch];
  }
  for (int i = first; i < w.size; ++i) w.order[w.count++] = i;
  std::stable_sort(w.order, w.order + w.count, [&](int a, int b) { return w.c[a][1] < w.c[b][1]; });
  for (int k = 0; k < w.count; ++k) w.green[k] = w.c[w.order[k]][1];
  return w;
}

// The smallest distance, the lowest index among equals: the same answer as
// a scan of all entries in index order.
int nearestWeighted(const Weighted& w, int r, int g, int b) {
  if (w.count == 0) return 0;
  const int64_t wr = w.k[0] * r, wg = w.k[1] * g, wb = w.k[2] * b;
  int best = -1;
  int64_t bestDistance = INT64_MAX;
  auto consider = [&](int k) {
    const int i = w.order[k];
    const int64_t dr = wr - w.c[i][0], dg = wg - w.c[i][1], db = wb - w.c[i][2];
    const int64_t d = dr * dr + dg * dg + db * db;
    if (d < bestDistance || (d == bestDistance && i < best)) {
      bestDistance = d;
      best = i;
    }
  };
  const int split = static_cast<int>(std::lower_bound(w.green, w.green + w.count, wg) - w.green);
  int up = split, down = split - 1;
  while (up < w.count || down >= 0) {
    if (up < w.count) {
      const int64_t dg = w.green[up] - wg;
      if (dg * dg > bestDistance)
        up = w.count;
      else
        consider(up++);
    }
    if (down >= 0) {
      const int64_t dg = wg - w.green[down];
      if (dg * dg > bestDistance)
        down = -1;
      else
        consider(down--);
    }
  }
  return best;
}

void mapPlain(const LevelImage& level, IndexedImage& out, const Weighted& w) {
  const size_t n = out.indices.size();
  // Textures repeat colours: a direct-mapped cache of recent answers.
  constexpr size_t kSlots = size_t{1} << 16;
  std::vector<int32_t> keys(kSlots, -1);
  std::vector<uint8_t> answers(kSlots, 0);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = level.pixels.data() + i * 4;
    const auto key = static_cast<int32_t>((p[0] << 16) | (p[1] << 8) | p[2]);
    const size_t slot = (static_cast<uint32_t>(key) * 2654435761u >> 16) & (kSlots - 1);
    if (keys[slot] != key) {
      keys[slot] = key;
      answers[slot] = static_cast<uint8_t>(nearestWeighted(w, p[0], p[1], p[2]));
    }
    out.indices[i] = answers[slot];
  }
}

// Floyd–Steinberg over alternating row directions. The accumulated errors
// are integers (weights 7, 1, 5, 3) scaled by `s` when read.
void mapDithered(const LevelImage& level, IndexedImage& out, const Weighted& w, int strength) {
  const Palette& palette = out.palette;
  const double s = (strength > 49 ? strength - 50 : strength) * 0.02 / 16;
  const bool fromValue = strength > 49;
  const int width = out.width;
  const auto row = static_cast<size_t>(width) + 2;
  std::vector<int64_t> current(row * 3, 0), next(row * 3, 0);
  for (int y = 0; y < out.height; ++y) {
    const bool forward = y % 2 == 0;
    const int dir = forward ? 1 : -1;
    for (int step = 0; step < width; ++step) {
      const int x = forward ? step : width - 1 - step;
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
      const uint8_t* p = level.pixels.data() + i * 4;
      const size_t at = static_cast<size_t>(x + 1) * 3;
      int v[3];
      for (size_t k = 0; k < 3; ++k)
        v[k] = static_cast<int>(std::lround(p[k] + s * static_cast<double>(current[at + k])));
      const int idx = nearestWeighted(w, v[0], v[1], v[2]);
      out.indices[i] = static_cast<uint8_t>(idx);
      const auto& e = palette.entries[static_cast<size_t>(idx)];
      const size_t ahead = static_cast<size_t>(x + 1 + dir) * 3;
      const size_t behind = static_cast<size_t>(x + 1 - dir) * 3;
      for (size_t k = 0; k < 3; ++k) {
        const int64_t err = (fromValue ? v[k] : p[k]) - e[k];
        current[ahead + k] += 7 * err;
        next[ahead + k] += 1 * err;
        next[at + k] += 5 * err;
        next[behind + k] += 3 * err;
      }
    }
    std::swap(current, next);
    std::fill(next.begin(), next.end(), 0);
  }
}

}  // namespace

int Mapper::nearest(const Palette& palette, int first, int r, int g, int b) {
  return nearestWeighted(weigh(palette, first, kDesigned), r, g, b);
}

IndexedImage Mapper::map(Image& image, const Palette& palette, bool reserved,
                         const cli::Settings& settings) {
  masks::MaskDetector::beforeScaling(image, settings);
  const LevelImage level = masks::Scaler::scaleToLevel(image, 0, settings);
  if (settings.masking && !image.maskPlane.empty()) reserved = true;
  IndexedImage out;
  out.width = level.width;
  out.height = level.height;
  out.indices.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
  out.palette = palette;
  const auto w = std::make_unique<Weighted>(
      weigh(palette, reserved ? 1 : 0, settings.refine ? kPlain : kDesigned));
  // Strengths above 100 would feed back more error than was made.
  const int strength = std::clamp(settings.dither, 0, 100);
  if (strength > 0)
    mapDithered(level, out, *w, strength);
  else
    mapPlain(level, out, *w);
  if (settings.masking && !level.mask.empty() && image.maskFound) {
    if (settings.debug) std::printf("Masking Out Colors...");
    for (size_t i = 0; i < out.indices.size(); ++i)
      if (level.mask[i] == 255) out.indices[i] = 0;
  }
  return out;
}

}  // namespace palvex::quant
