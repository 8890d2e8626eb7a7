#include "palvex/quant/PaletteBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace palvex::quant {
namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::clamp<long>(std::lround(v), 0, 255)); }

int sortKey(const std::array<uint8_t, 4>& e) { return 42 * e[0] + 50 * e[1] + 15 * e[2]; }

}  // namespace

Palette PaletteBuilder::build(const std::vector<Bin>& bins, bool reserved,
                              const cli::Settings& settings) {
  Palette p;
  const int count = std::min(static_cast<int>(bins.size()) - 1, 256);
  for (int n = 1; n <= count; ++n) {
    const Bin& b = bins[static_cast<size_t>(n)];
    double rgb[3];
    if (settings.rgb) {
      for (int k = 0; k < 3; ++k) rgb[k] = b.sum[k] / b.weight;
    } else {
      const float y = b.sum[0] / (b.weight * 2.625f);
      const float cb = b.sum[1] / b.weight - 127.5f;
      const float cr = b.sum[2] / b.weight - 127.5f;
      rgb[0] = y + 1.402 * cr;
      rgb[1] = y - 0.714136 * cr - 0.344136 * cb;
      rgb[2] = y + 1.772 * cb;
    }
    p.set(n - 1, toByte(rgb[0]), toByte(rgb[1]), toByte(rgb[2]));
    p.weights[static_cast<size_t>(n - 1)] = b.weight;
  }
  p.size = count;
  if ((reserved || p.size < 256) && p.size < 256) {
    std::copy_backward(p.entries.begin(), p.entries.begin() + p.size,
                       p.entries.begin() + p.size + 1);
    std::copy_backward(p.weights.begin(), p.weights.begin() + p.size,
                       p.weights.begin() + p.size + 1);
    p.set(0, 0, 0, 0);
    p.weights[0] = 0;
    ++p.size;
  }
  if (settings.forcedColour) p.set(0, settings.forced[0], settings.forced[1], settings.forced[2]);
  return p;
}

void PaletteBuilder::sort(Palette& palette, const cli::Settings& settings) {
  const int start = settings.forcedColour ? 1 : 0;
  const int end = std::max(start, palette.size);
  std::vector<int> order;
  for (int i = start; i < end; ++i) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return sortKey(palette.entries[static_cast<size_t>(a)]) <
           sortKey(palette.entries[static_cast<size_t>(b)]);
  });
  Palette out = palette;
  int kept = start;
  for (int i : order) {
    const auto& e = palette.entries[static_cast<size_t>(i)];
    if (kept > start) {
      const auto& before = out.entries[static_cast<size_t>(kept - 1)];
      if (sortKey(before) == sortKey(e) && before[0] == e[0] && before[1] == e[1] &&
          before[2] == e[2]) {
        if (settings.debug) std::printf(" !!!!! Duplicate colors: %i  %i \n", kept - 1, i);
        continue;
      }
    }
    out.entries[static_cast<size_t>(kept)] = e;
    out.weights[static_cast<size_t>(kept)] = palette.weights[static_cast<size_t>(i)];
    ++kept;
  }
  out.size = kept;
  for (int i = kept; i < 256; ++i) {
    out.set(i, 255, 255, 255);
    out.weights[static_cast<size_t>(i)] = 0;
  }
  palette = out;
}

}  // namespace palvex::quant
