#pragma once

#include <cstdint>
#include <functional>

namespace palvex::special {

// The self-test of the bit-field copier: random copies checked against the
// bit-by-bit reference, then timing runs of the two copiers.
class CopierSelfTest {
 public:
  // Uniform reals in 0–1 and the seconds since a fixed point; tests give
  // fixed ones.
  using Random = std::function<double()>;
  using Clock = std::function<double()>;

  // Prints the test's lines and returns the number of wrong bytes found.
  static int run(const Random& random, const Clock& clock, int rounds = 1000,
                 int timingRepeats = 200);
};

}  // namespace palvex::special
