#include "palvex/masks/Scaler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace palvex::masks {
namespace {

constexpr int kMaxBox = 2048;

// The box mean rounded to nearest, halves upwards.
uint8_t mean(int64_t sum, int64_t count) {
  return static_cast<uint8_t>(std::clamp<int64_t>((2 * sum + count) / (2 * count), 0, 255));
}

// Level pixel (x, y): the mean of its box, over the unmasked pixels when
// there is a mask plane; masked when none is left or the masked share is
// above `fatMask`.
void boxPixel(const Image& image, LevelImage& level, int x, int y, int bw, int bh, double fatMask) {
  const bool masked = !image.maskPlane.empty();
  const auto w = static_cast<size_t>(image.width);
  int64_t sum[3] = {0, 0, 0};
  int64_t kept = 0;
  int64_t maskSum = 0;
  for (int sy = y * bh; sy < y * bh + bh; ++sy) {
    const size_t row = static_cast<size_t>(sy) * w;
    for (int sx = x * bw; sx < x * bw + bw; ++sx) {
      const size_t i = row + static_cast<size_t>(sx);
      if (masked && image.maskPlane[i] != 0) {
        maskSum += image.maskPlane[i];
        continue;
      }
      const uint8_t* p = image.pixels.data() + i * 3;
      sum[0] += p[0];
      sum[1] += p[1];
      sum[2] += p[2];
      ++kept;
    }
  }
  const size_t li =
      static_cast<size_t>(y) * static_cast<size_t>(level.width) + static_cast<size_t>(x);
  uint8_t* out = level.pixels.data() + li * 4;
  const double share = static_cast<double>(maskSum) / 255.0 / static_cast<double>(int64_t{bw} * bh);
  if (masked && (kept == 0 || share > fatMask)) {
    out[3] = 255;
    level.mask[li] = 255;
    return;
  }
  for (int k = 0; k < 3; ++k) out[k] = mean(sum[k], kept);
}

}  // namespace

int Scaler::divisor(float factor) {
  const double q = std::floor(1.0 / static_cast<double>(factor) + 0.5);
  if (!(q >= 1.0)) return 1;
  return q > 65536.0 ? 65536 : static_cast<int>(q);
}

LevelImage Scaler::scaleToLevel(const Image& image, int level, const cli::Settings& settings) {
  int dx = divisor(settings.scaleX);
  int dy = divisor(settings.scaleY);
  if (image.refWidth > 0 && image.refHeight > 0) {
    dx = std::max(1, image.width / image.refWidth);
    dy = std::max(1, image.height / image.refHeight);
  }
  const int lw = std::max(1, (image.width / dx) >> level);
  const int lh = std::max(1, (image.height / dy) >> level);
  const int bw = std::clamp(image.width / lw, 1, kMaxBox);
  const int bh = std::clamp(image.height / lh, 1, kMaxBox);
  if (settings.debug) {
    std::printf("ImageWidth, ImageHeight: %d %d \n", image.width, image.height);
    std::printf("MipWidth, MipHeight: %d %d \n", lw, lh);
    std::printf("MipLevel, ScaleY, IntScaleV: %d %e %d \n", level,
                static_cast<double>(settings.scaleY), dy);
    std::printf("ImWidth,MipWidth: %i %i ", image.width, lw);
  }
  const bool masked = !image.maskPlane.empty();
  if (settings.debug)
    std::printf(masked ? "Scaling with masking. \n" : "Scaling without masking. \n");

  LevelImage out;
  out.width = lw;
  out.height = lh;
  const size_t n = static_cast<size_t>(lw) * static_cast<size_t>(lh);
  out.pixels.assign(n * 4, 0);
  if (masked) out.mask.assign(n, 0);
  const auto w = static_cast<size_t>(image.width);
  if (!masked && bw == 1 && bh == 1) {
    // Boxes of one pixel: the level is a copy of the top-left part.
    for (int y = 0; y < lh; ++y)
      for (int x = 0; x < lw; ++x) {
        const uint8_t* p =
            image.pixels.data() + (static_cast<size_t>(y) * w + static_cast<size_t>(x)) * 3;
        uint8_t* q =
            out.pixels.data() +
            (static_cast<size_t>(y) * static_cast<size_t>(lw) + static_cast<size_t>(x)) * 4;
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
      }
    if (settings.debug) std::printf("Scaling done. \n");
    return out;
  }
  for (int y = 0; y < lh; ++y)
    for (int x = 0; x < lw; ++x) boxPixel(image, out, x, y, bw, bh, settings.fatMask);
  if (settings.debug) std::printf("Scaling done. \n");
  return out;
}

}  // namespace palvex::masks
