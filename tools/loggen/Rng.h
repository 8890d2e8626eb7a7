#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

// Internals of the log generator, shared by its source files.
namespace tools::loggen::detail {

// Game time in hundredths of a second: the log writes two decimals, and
// integer time keeps every run of the generator byte for byte the same.
using Cs = int64_t;
inline constexpr Cs kSecond = 100;
inline constexpr Cs kNever = std::numeric_limits<Cs>::max() / 4;

// splitmix64: small, fast and the same everywhere (std:: distributions are
// not).
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // [0, 1)
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // [0, n)
  int32_t below(int32_t n) {
    return n <= 1 ? 0 : static_cast<int32_t>(next() % static_cast<uint64_t>(n));
  }
  // [lo, hi]
  int32_t range(int32_t lo, int32_t hi) { return lo + below(hi - lo + 1); }
  Cs between(double loSeconds, double hiSeconds) {
    return static_cast<Cs>(std::llround((loSeconds + (hiSeconds - loSeconds) * uniform()) * 100));
  }
  bool chance(double p) { return uniform() < p; }
  // Index by weight; the weights need not sum to 1.
  size_t weighted(std::span<const double> w) {
    double total = 0;
    for (double x : w) total += x;
    double r = uniform() * total;
    for (size_t i = 0; i < w.size(); ++i) {
      if (r < w[i]) return i;
      r -= w[i];
    }
    return w.size() - 1;
  }
  // Waiting time of a Poisson process of `rate` events per second.
  Cs wait(double rate) {
    double u = uniform();
    double s = -std::log(1.0 - u) / rate;
    return std::max<Cs>(1, static_cast<Cs>(std::ceil(s * 100)));
  }

 private:
  uint64_t s_;
};

inline uint64_t mix(uint64_t a, uint64_t b) { return Rng(a * 0x2545F4914F6CDD1DULL ^ b).next(); }

}  // namespace tools::loggen::detail
