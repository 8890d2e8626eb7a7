#include "palvex/special/SpecialMaps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace palvex::special {
namespace {

double bumpLuminance(const uint8_t* p) { return 0.3 * p[0] + 0.5 * p[1] + 0.2 * p[2]; }

// The first column of a run of `code` and the number of pixels that
// continue a run, the left neighbour of column 0 being the last pixel.
struct Runs {
  std::array<int, 16> first{};
  std::array<int, 16> cont{};
};

Runs findRuns(std::span<const uint8_t> codes) {
  Runs runs;
  runs.first.fill(-1);
  const size_t w = codes.size();
  for (size_t i = 0; i < w; ++i) {
    const uint8_t c = codes[i];
    if (c >= 16) continue;
    const uint8_t left = codes[i == 0 ? w - 1 : i - 1];
    if (left == c) {
      ++runs.cont[c];
    } else if (runs.first[c] < 0) {
      runs.first[c] = static_cast<int>(i);
    }
  }
  return runs;
}

// −i − trunc((i − first) × scale ÷ cont); a code of which no pixel
// continues a run has no continuation term.
int64_t slope(const Runs& runs, int code, int64_t i, int64_t scale) {
  if (runs.first[static_cast<size_t>(code)] < 0) return 0;
  const int64_t cont = runs.cont[static_cast<size_t>(code)];
  const int64_t term = cont == 0 ? 0 : (i - runs.first[static_cast<size_t>(code)]) * scale / cont;
  return -i - term;
}

}  // namespace

std::vector<uint8_t> SpecialMaps::bump(const SourcePicture& picture, float bias) {
  const auto w = static_cast<size_t>(picture.width);
  const auto h = static_cast<size_t>(picture.height);
  std::vector<uint8_t> out(w * h);
  const double x = bias;
  for (size_t y = 0; y < h; ++y) {
    const uint8_t* row = picture.pixels.data() + y * w * 3;
    for (size_t c = 0; c < w; ++c) {
      const size_t n = (c + 1) & (w - 1);
      double v = std::trunc(x * (bumpLuminance(row + c * 3) - bumpLuminance(row + n * 3)) * 0.5);
      v = std::clamp(v, -128.0, 127.0);
      out[y * w + c] = static_cast<uint8_t>(static_cast<int>(v));
    }
  }
  return out;
}

Palette SpecialMaps::bumpPalette() {
  Palette p;
  for (int i = 0; i < 128; ++i) {
    const auto a = static_cast<uint8_t>(i);
    const auto b = static_cast<uint8_t>(2 * i);
    p.set(i, b, a, b);
    p.set(255 - i, a, b, b);
  }
  p.size = 256;
  return p;
}

void SpecialMaps::streamRow(std::span<const uint8_t> codes, int row, int rows, int passes,
                            std::span<uint8_t> out) {
  const size_t w = codes.size();
  if (w == 0 || rows <= 0) return;
  const Runs runs = findRuns(codes);
  const int64_t width = static_cast<int64_t>(w);
  const int64_t down = width * row / rows;
  for (size_t i = 0; i < w; ++i) {
    const int code = codes[i];
    const auto col = static_cast<int64_t>(i);
    int64_t v = 0;
    switch (code) {
      case 0:
        v = 0;
        break;
      case 1:
        v = down;
        break;
      case 2:
        v = 2 * width * row / rows;
        break;
      case 3:
        v = width % 256 - down - 1;
        break;
      case 4:
        v = slope(runs, 4, col, -256);
        break;
      case 5:
        v = slope(runs, 5, col, -128);
        break;
      case 6:
        v = runs.first[6] < 0 ? 0 : slope(runs, 6, col, -128) - 128;
        break;
      default:
        v = (code & 15) + width % 256 - 16;
        break;
    }
    out[i] = static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xFF);
  }
  std::vector<uint8_t> before(w);
  for (int p = 0; p < passes; ++p) {
    std::copy(out.begin(), out.end(), before.begin());
    for (size_t i = 0; i < w; ++i) {
      const int hv = before[i];
      const int gv = before[(i + 1) % w];
      out[i] = static_cast<uint8_t>((std::abs(hv - gv) >= 128 ? 2 * hv : hv + gv) / 2);
    }
  }
}

Palette SpecialMaps::greyRamp() {
  Palette p;
  for (int i = 0; i < 256; ++i) {
    const auto v = static_cast<uint8_t>(i);
    p.set(i, v, v, v);
  }
  p.size = 256;
  return p;
}

void SpecialMaps::threshold(SourcePicture& picture, float level) {
  const double limit = static_cast<double>(level) * 255;
  for (size_t i = 0; i + 2 < picture.pixels.size(); i += 3) {
    uint8_t* p = picture.pixels.data() + i;
    if (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2] < limit) p[0] = p[1] = p[2] = 0;
  }
}

void SpecialMaps::paintMask(Image& image) {
  const size_t n = std::min(image.maskPlane.size(), image.pixels.size() / 3);
  for (size_t i = 0; i < n; ++i) {
    if (image.maskPlane[i] == 0) continue;
    std::copy(image.maskColour.begin(), image.maskColour.end(),
              image.pixels.begin() + static_cast<std::ptrdiff_t>(i * 3));
  }
}

std::vector<uint8_t> SpecialMaps::paletteRamp() {
  std::vector<uint8_t> out(kRampWidth * kRampHeight);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(i % kRampWidth);
  return out;
}

void SpecialMaps::smoothPalette(Palette& palette) {
  for (size_t ch = 0; ch < 3; ++ch) {
    auto value = [&](size_t e) -> uint8_t& { return palette.entries[e][ch]; };
    size_t start = 1;
    for (size_t j = 2; j <= 255; ++j) {
      if (value(j) == value(start) && j < 255) continue;
      const double from = value(start);
      const double to = value(j);
      const double length = static_cast<double>(j - start);
      for (size_t k = 1; k < j - start; ++k) {
        value(start + k) =
            static_cast<uint8_t>(from + (to - from) * static_cast<double>(k) / length + 0.5);
      }
      start = j;
    }
  }
}

}  // namespace palvex::special
