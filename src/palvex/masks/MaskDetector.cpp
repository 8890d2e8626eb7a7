#include "palvex/masks/MaskDetector.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace palvex::masks {
namespace {

constexpr int kGrid = 128;
constexpr size_t kMaxDistinct = 17000;

int channelClass(uint8_t v) { return v > 200 ? 4 : v >= 106 ? 1 : 0; }

struct Ycc {
  double y, cb, cr;
};

Ycc toYcc(double r, double g, double b) {
  return {0.299 * r + 0.587 * g + 0.114 * b, 0.5 * b - 0.33126 * g - 0.16874 * r + 127.5,
          0.5 * r - 0.41869 * g - 0.08131 * b + 127.5};
}

}  // namespace

bool MaskDetector::isCandidate(uint8_t r, uint8_t g, uint8_t b) {
  const int sum = channelClass(r) + channelClass(g) + channelClass(b);
  if (sum < 4 || sum > 11) return false;
  if (r < 48 && g < 48 && b >= 231) return false;
  if (r > 230 && g < 48 && b < 48) return false;
  return r > 99 || g < 121 || b <= 200;
}

void MaskDetector::detect(Image& image, const cli::Settings& settings) {
  if (settings.debug) std::printf(" sampling maskcolors... \n");
  // Distinct candidate colours in the order first seen, with their counts.
  std::vector<std::pair<uint32_t, int>> counts;
  std::unordered_map<uint32_t, size_t> where;
  for (int r = 0; r < kGrid; ++r) {
    for (int c = 0; c < kGrid; ++c) {
      const int64_t row = int64_t{r} * image.height / kGrid;
      const int64_t col = int64_t{c} * image.width / kGrid;
      const uint8_t* p = image.pixels.data() + static_cast<size_t>((row * image.width + col) * 3);
      if (!isCandidate(p[0], p[1], p[2])) continue;
      const uint32_t key = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      auto it = where.find(key);
      if (it != where.end()) {
        ++counts[it->second].second;
      } else if (counts.size() < kMaxDistinct) {
        where.emplace(key, counts.size());
        counts.emplace_back(key, 1);
      }
    }
  }
  if (counts.empty()) return;
  size_t winner = 0;
  for (size_t i = 1; i < counts.size(); ++i)
    if (counts[i].second >= counts[winner].second) winner = i;  // a later colour wins a tie
  int second = 0;
  for (size_t i = 0; i < counts.size(); ++i)
    if (i != winner) second = std::max(second, counts[i].second);
  const int score = counts[winner].second;
  if (settings.debug) std::printf(" WinnerScore: %i", score);
  if (settings.debug) std::printf(" SecondScore: %i", second);
  const uint8_t r = static_cast<uint8_t>(counts[winner].first >> 16);
  const uint8_t g = static_cast<uint8_t>(counts[winner].first >> 8);
  const uint8_t b = static_cast<uint8_t>(counts[winner].first);
  const bool pink = settings.pinkScreen && r > 220 && g < 60 && b > 220;
  if (pink || (second * 3 < score && score > 409)) {
    image.maskColour = {r, g, b};
    image.maskFound = true;
  }
}

void MaskDetector::buildPlane(Image& image, const cli::Settings& settings) {
  if (settings.debug) std::printf("Creating main mask: ");
  const size_t n = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  image.maskPlane.assign(n, 0);
  const int mr = image.maskColour[0], mg = image.maskColour[1], mb = image.maskColour[2];
  int exact = 0;
  for (size_t i = 0; i < n; ++i) {
    uint8_t* p = image.pixels.data() + i * 3;
    if (std::abs(p[0] - mr) + std::abs(p[1] - mg) + std::abs(p[2] - mb) < 3) {
      p[0] = p[1] = p[2] = 0;
      image.maskPlane[i] = 255;
      ++exact;
    }
  }
  if (settings.debug) {
    std::printf(" Masked primary-color pixels: %i \n", exact);
    std::printf(" Now masking adjacent pixels... \n");
  }
  if (settings.tolerance < 0.001f) return;
  const Ycc key = toYcc(mr, mg, mb);
  const double tolerance = settings.tolerance;
  int near = 0;
  for (size_t i = 0; i < n; ++i) {
    if (image.maskPlane[i] != 0) continue;
    uint8_t* p = image.pixels.data() + i * 3;
    const Ycc c = toYcc(p[0], p[1], p[2]);
    const double d = std::fabs(c.cr - key.cr) / 128 + std::fabs(c.cb - key.cb) / 128 +
                     std::fabs(c.y - key.y) / 1024;
    if (tolerance > 0.6 * d) {
      p[0] = p[1] = p[2] = 0;
      image.maskPlane[i] = 254;
      ++near;
    }
  }
  if (settings.debug) std::printf("Pixels masked.... %i  \n", near);
}

void MaskDetector::beforeScaling(Image& image, const cli::Settings& settings) {
  if (!settings.masking || !image.maskPlane.empty()) return;
  if (settings.debug) std::printf(" Masking is activated for %s \n", image.inputName.c_str());
  prepare(image, settings);
}

void MaskDetector::prepare(Image& image, const cli::Settings& settings) {
  if (!settings.masking || !image.maskPlane.empty() || image.pixels.empty()) return;
  if (settings.debug) std::printf("Detecting mask... \n");
  if (settings.forcedColour && !settings.pinkScreen && settings.tolerance == 0.0f) {
    image.maskColour = settings.forced;
    image.maskFound = true;
  } else if (!image.detectionDone) {
    image.detectionDone = true;
    detect(image, settings);
  }
  if (image.maskFound) buildPlane(image, settings);
}

}  // namespace palvex::masks
