// Compares two pictures given as raw R, G, B bytes of the same size: prints
// the PSNR over the three channels and the mean CIE76 colour difference in
// Lab (D65), as "psnr delta_e".
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
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

void toLab(const unsigned char* p, double lab[3]) {
  const double r = linear(p[0]), g = linear(p[1]), b = linear(p[2]);
  const double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
  const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
  const double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
  const double fx = labF(x), fy = labF(y), fz = labF(z);
  lab[0] = 116 * fy - 16;
  lab[1] = 500 * (fx - fy);
  lab[2] = 200 * (fy - fz);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: palvex_quality original.rgb candidate.rgb\n");
    return 2;
  }
  const auto a = readAll(argv[1]);
  const auto b = readAll(argv[2]);
  if (a.size() != b.size() || a.empty() || a.size() % 3 != 0) {
    std::fprintf(stderr, "pictures differ in size (%zu, %zu bytes)\n", a.size(), b.size());
    return 1;
  }
  double squares = 0, delta = 0;
  for (size_t i = 0; i < a.size(); i += 3) {
    for (size_t k = 0; k < 3; ++k) {
      const double d = static_cast<double>(a[i + k]) - b[i + k];
      squares += d * d;
    }
    double la[3], lb[3];
    toLab(&a[i], la);
    toLab(&b[i], lb);
    delta += std::sqrt((la[0] - lb[0]) * (la[0] - lb[0]) + (la[1] - lb[1]) * (la[1] - lb[1]) +
                       (la[2] - lb[2]) * (la[2] - lb[2]));
  }
  const double psnr =
      squares == 0 ? 99.0
                   : 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / squares);
  std::printf("%.3f %.3f\n", psnr, delta / static_cast<double>(a.size() / 3));
  return 0;
}
