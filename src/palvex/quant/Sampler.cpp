#include "palvex/quant/Sampler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "palvex/masks/MaskDetector.h"
#include "palvex/masks/Scaler.h"

namespace palvex::quant {
namespace {

constexpr double kLumaScale = 2.625;

int clampRound(double v) { return static_cast<int>(std::clamp<long>(std::lround(v), 0, 255)); }

// The largest absolute difference of each byte against the four neighbours
// of pixel i, found on the flattened level with wrap-around at its ends.
bool isSmooth(const std::vector<uint8_t>& level, size_t n, size_t w, size_t i, int threshold) {
  const size_t neighbours[4] = {(i + n - 1) % n, (i + 1) % n, (i + n - w % n) % n, (i + w) % n};
  const uint8_t* p = level.data() + i * 4;
  int m[3] = {0, 0, 0};
  for (size_t q : neighbours) {
    const uint8_t* o = level.data() + q * 4;
    for (int k = 0; k < 3; ++k) m[k] = std::max(m[k], std::abs(p[k] - o[k]));
  }
  return 4 * m[0] + 5 * m[1] + 3 * m[2] < threshold && p[0] + p[1] + p[2] > 26;
}

}  // namespace

Sampler::Sampler(const cli::Settings& settings) : settings_(settings) { clear(); }

void Sampler::clear() {
  bins_.assign(1, Bin{});
  heads_.assign(kCells, 0);
  rgbSums_.assign(settings_.refine ? 1 : 0, {0, 0, 0, 0});
}

int Sampler::ceiling() const {
  return settings_.binLimit < 59990 ? settings_.binLimit + 10 : 60000;
}

int Sampler::mipLevels(const Image& image, int mipLimit) const {
  if (!settings_.mips) return 0;
  const int w = image.width / masks::Scaler::divisor(settings_.scaleX);
  const int h = image.height / masks::Scaler::divisor(settings_.scaleY);
  int levels = 0;
  for (int i = 1; i <= 12; ++i)
    if ((w >> i) != 0 || (h >> i) != 0) ++levels;
  return std::clamp(levels, 0, std::max(0, mipLimit));
}

void Sampler::sample(Image& image, const std::array<int, 3>& depths, int mipLimit) {
  if (image.pixels.empty()) return;
  const int levels = mipLevels(image, mipLimit);
  const float base =
      settings_.sizeBias
          ? 65536.0f / static_cast<float>(int64_t{image.width} * int64_t{image.height})
          : 1.0f;
  for (int i = 0; i <= levels; ++i) {
    masks::MaskDetector::beforeScaling(image, settings_);
    const LevelImage scaled = masks::Scaler::scaleToLevel(image, i, settings_);
    const int64_t n = int64_t{scaled.width} * scaled.height;
    sampleLevel(scaled, image, i, std::ldexp(1.0f, i) * base, n <= 512 && levels >= 3, depths);
  }
}

void Sampler::sampleLevel(const LevelImage& scaled, SourcePicture& source, int level, float weight,
                          bool ownBins, const std::array<int, 3>& depths) {
  const size_t n = static_cast<size_t>(scaled.width) * static_cast<size_t>(scaled.height);
  const auto w = static_cast<size_t>(scaled.width);
  const bool emphasis = settings_.smooth > 0;
  std::vector<bool> rough;
  if (emphasis) rough.assign(n, false);
  size_t smooth = 0;
  const int limit = ceiling();
  for (size_t i = 0; i < n; ++i) {
    if (count() >= limit) {
      if (settings_.debug) std::printf("Error - max bins size reached.");
      break;
    }
    const uint8_t* p = scaled.pixels.data() + i * 4;
    float wgt = weight;
    if (emphasis) {
      if (isSmooth(scaled.pixels, n, w, i, settings_.smooth)) {
        wgt *= 10.0f;
        ++smooth;
      } else {
        rough[i] = true;
      }
    }
    double c[3];
    if (settings_.rgb) {
      c[0] = p[0];
      c[1] = p[1];
      c[2] = p[2];
    } else {
      const double r = p[0], g = p[1], b = p[2];
      c[0] = 0.299 * r + 0.587 * g + 0.114 * b;
      c[1] = 0.5 * b - 0.33126 * g - 0.16874 * r + 127.5;
      c[2] = 0.5 * r - 0.41869 * g - 0.08131 * b + 127.5;
    }
    const size_t bin = add(c, wgt, depths, ownBins);
    if (settings_.refine) {
      if (rgbSums_.size() <= bin) rgbSums_.resize(bin + 1, {0, 0, 0, 0});
      std::array<double, 4>& sum = rgbSums_[bin];
      for (size_t k = 0; k < 3; ++k) sum[k] += double{wgt} * p[k];
      sum[3] += wgt;
    }
  }
  if (emphasis && settings_.debug) {
    std::printf("Total emphasized:  %i  percent. \n", static_cast<int>(smooth * 100 / n));
    // Show the rough pixels in the output when the level is the source.
    if (level == 0 && scaled.width == source.width && scaled.height == source.height)
      for (size_t i = 0; i < n; ++i)
        if (rough[i])
          std::fill_n(source.pixels.begin() + static_cast<std::ptrdiff_t>(i * 3), 3, 155);
  }
}

size_t Sampler::add(const double c[3], float weight, const std::array<int, 3>& depths,
                    bool ownBin) {
  const int c0 = clampRound(c[0]), c1 = clampRound(c[1]), c2 = clampRound(c[2]);
  auto top = [](int v, int bits) { return v & ((0xFF << (8 - bits)) & 0xFF); };
  // The second digit applies to component 2, the third to component 1.
  const int32_t key = (top(c0, depths[0]) << 16) | (top(c1, depths[2]) << 8) | top(c2, depths[1]);
  const int s0 = std::max(3, 8 - depths[0]);
  const int s1 = std::max(3, 8 - depths[2]);
  const int s2 = std::max(3, 8 - depths[1]);
  const size_t cell = static_cast<size_t>(((c0 >> s0) << 10) | ((c1 >> s1) << 5) | (c2 >> s2));
  // The sums take the unrounded components, luma scaled up.
  const double v[3] = {c[0] * (settings_.rgb ? 1.0 : kLumaScale), c[1], c[2]};
  if (!ownBin) {
    for (int32_t b = heads_[cell]; b != 0; b = bins_[static_cast<size_t>(b)].next) {
      Bin& bin = bins_[static_cast<size_t>(b)];
      if (bin.key != key) continue;
      for (int k = 0; k < 3; ++k) bin.sum[k] = static_cast<float>(bin.sum[k] + weight * v[k]);
      bin.weight += weight;
      return static_cast<size_t>(b);
    }
  }
  Bin bin;
  for (int k = 0; k < 3; ++k) bin.sum[k] = static_cast<float>(weight * v[k]);
  bin.weight = weight;
  bin.key = key;
  // A pixel with a bin of its own is not found by later pixels.
  if (!ownBin) {
    bin.next = heads_[cell];
    heads_[cell] = static_cast<int32_t>(bins_.size());
  }
  bins_.push_back(bin);
  return bins_.size() - 1;
}

}  // namespace palvex::quant
