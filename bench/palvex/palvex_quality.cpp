// Compares two pictures given as raw R, G, B bytes of the same size and
// width: prints the PSNR over the three channels, the mean CIEDE2000 colour
// difference in Lab (D65) and the mean SSIM of the luma, as
// "psnr delta_e2000 ssim".
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> readAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double linear(double c) {
  c /= 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labF(double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; }

struct Lab {
  double l, a, b;
};

Lab toLab(const unsigned char* p) {
  const double r = linear(p[0]), g = linear(p[1]), b = linear(p[2]);
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const double fx = labF(x), fy = labF(y), fz = labF(z);
  return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double degrees(double rad) { return rad * 180 / std::numbers::pi; }
double radians(double deg) { return deg * std::numbers::pi / 180; }

// CIEDE2000 with kL = kC = kH = 1 (Sharma, Wu and Dalal's formulation).
double deltaE2000(const Lab& x, const Lab& y) {
  const double c1 = std::hypot(x.a, x.b), c2 = std::hypot(y.a, y.b);
  const double cMean = (c1 + c2) / 2;
  const double c7 = std::pow(cMean, 7);
  const double g = 0.5 * (1 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
  const double a1 = (1 + g) * x.a, a2 = (1 + g) * y.a;
  const double cp1 = std::hypot(a1, x.b), cp2 = std::hypot(a2, y.b);
  auto hue = [](double b, double a) {
    if (a == 0 && b == 0) return 0.0;
    const double h = degrees(std::atan2(b, a));
    return h < 0 ? h + 360 : h;
  };
  const double hp1 = hue(x.b, a1), hp2 = hue(y.b, a2);
  const double dL = y.l - x.l;
  const double dC = cp2 - cp1;
  double dh = 0;
  if (cp1 * cp2 != 0) {
    dh = hp2 - hp1;
    if (dh > 180) dh -= 360;
    if (dh < -180) dh += 360;
  }
  const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(radians(dh / 2));
  const double lMean = (x.l + y.l) / 2;
  const double cpMean = (cp1 + cp2) / 2;
  double hMean = hp1 + hp2;
  if (cp1 * cp2 != 0) {
    if (std::fabs(hp1 - hp2) <= 180)
      hMean /= 2;
    else
      hMean = hMean < 360 ? (hMean + 360) / 2 : (hMean - 360) / 2;
  }
  const double t = 1 - 0.17 * std::cos(radians(hMean - 30)) + 0.24 * std::cos(radians(2 * hMean)) +
                   0.32 * std::cos(radians(3 * hMean + 6)) -
                   0.20 * std::cos(radians(4 * hMean - 63));
  const double dTheta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
  const double cp7 = std::pow(cpMean, 7);
  const double rc = 2 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7)));
  const double l50 = (lMean - 50) * (lMean - 50);
  const double sl = 1 + 0.015 * l50 / std::sqrt(20 + l50);
  const double sc = 1 + 0.045 * cpMean;
  const double sh = 1 + 0.015 * cpMean * t;
  const double rt = -std::sin(radians(2 * dTheta)) * rc;
  const double tl = dL / sl, tc = dC / sc, th = dH / sh;
  return std::sqrt(tl * tl + tc * tc + th * th + rt * tc * th);
}

// Mean SSIM of the luma over 8 × 8 windows, every 4 pixels (the whole
// picture as one window when it is smaller).
double ssim(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
            size_t width) {
  const size_t height = a.size() / 3 / width;
  auto luma = [&](const std::vector<unsigned char>& p) {
    std::vector<double> y(width * height);
    for (size_t i = 0; i < y.size(); ++i)
      y[i] = 0.299 * p[i * 3] + 0.587 * p[i * 3 + 1] + 0.114 * p[i * 3 + 2];
    return y;
  };
  const std::vector<double> ya = luma(a), yb = luma(b);
  const size_t win = std::min<size_t>({8, width, height});
  const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
  double total = 0;
  size_t windows = 0;
  for (size_t y0 = 0; y0 + win <= height; y0 += 4) {
    for (size_t x0 = 0; x0 + win <= width; x0 += 4) {
      double ma = 0, mb = 0;
      for (size_t y = y0; y < y0 + win; ++y)
        for (size_t x = x0; x < x0 + win; ++x) {
          ma += ya[y * width + x];
          mb += yb[y * width + x];
        }
      const double n = static_cast<double>(win * win);
      ma /= n;
      mb /= n;
      double va = 0, vb = 0, cov = 0;
      for (size_t y = y0; y < y0 + win; ++y)
        for (size_t x = x0; x < x0 + win; ++x) {
          const double da = ya[y * width + x] - ma, db = yb[y * width + x] - mb;
          va += da * da;
          vb += db * db;
          cov += da * db;
        }
      va /= n - 1;
      vb /= n - 1;
      cov /= n - 1;
      total += (2 * ma * mb + c1) * (2 * cov + c2) / ((ma * ma + mb * mb + c1) * (va + vb + c2));
      ++windows;
    }
  }
  return windows == 0 ? 1.0 : total / static_cast<double>(windows);
}

// Known pairs of the CIEDE2000 test data: the formula's hard cases.
bool selfTest() {
  struct Pair {
    Lab x, y;
    double expected;
  };
  const Pair pairs[] = {
      {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
      {{50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
      {{50, 2.49, -0.001}, {50, -2.49, 0.0011}, 7.2195},
      {{50, 2.5, 0}, {50, 3.1736, 0.5854}, 1.0000},
      {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
      {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
      {{22.7233, 20.0904, -46.694}, {23.0331, 14.973, -42.5619}, 2.0373},
      {{2.0776, 0.0795, -1.135}, {0.9033, -0.0636, -0.5514}, 0.9082},
  };
  for (const Pair& p : pairs) {
    const double d = deltaE2000(p.x, p.y);
    if (std::fabs(d - p.expected) > 1e-4) {
      std::fprintf(stderr, "CIEDE2000 self-test: %.4f, expected %.4f\n", d, p.expected);
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: palvex_quality original.rgb candidate.rgb WIDTH\n");
    return 2;
  }
  if (!selfTest()) return 1;
  const auto a = readAll(argv[1]);
  const auto b = readAll(argv[2]);
  const long width = std::strtol(argv[3], nullptr, 10);
  if (a.size() != b.size() || a.empty() || a.size() % 3 != 0 || width <= 0 ||
      (a.size() / 3) % static_cast<size_t>(width) != 0) {
    std::fprintf(stderr, "pictures differ in size (%zu, %zu bytes) or width %ld\n", a.size(),
                 b.size(), width);
    return 1;
  }
  double squares = 0, delta = 0;
  for (size_t i = 0; i < a.size(); i += 3) {
    for (size_t k = 0; k < 3; ++k) {
      const double d = static_cast<double>(a[i + k]) - b[i + k];
      squares += d * d;
    }
    delta += deltaE2000(toLab(&a[i]), toLab(&b[i]));
  }
  const double psnr =
      squares == 0 ? 99.0
                   : 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / squares);
  std::printf("%.3f %.4f %.5f\n", psnr, delta / static_cast<double>(a.size() / 3),
              ssim(a, b, static_cast<size_t>(width)));
  return 0;
}
