#pragma once

#include "palvex/Palette.h"
#include "palvex/cli/Settings.h"
#include "palvex/quant/Sampler.h"

namespace palvex::quant {

// The steps after sampling: merging, building and sorting the palette.
class Quantizer {
 public:
  // Merges the sampler's bins down to `target` colours (taken as 1 to 256)
  // and returns the sorted palette. `reserved` keeps entry 0 for masked
  // pixels. Prints "Quantizing...Colors: bins -> target " and "Done.".
  // With `settings.refine` the built palette is refined (Refiner) from the
  // bins as sampled before it is sorted.
  static Palette quantize(Sampler& sampler, int target, bool reserved,
                          const cli::Settings& settings);
};

// Adapts the sampling depths between passes until the bins fit: one change
// counter rotates over the third, second and first digit.
class DepthAdapter {
 public:
  explicit DepthAdapter(const std::array<int, 3>& start) : depths_(start) {}

  // The digit the k-th change applies to: k mod 3 = 0, 1, 2 selects the
  // third, second, first.
  static int digitFor(int changes) { return 2 - changes % 3; }

  // Judges a pass that gave `bins`: too many lowers a digit, too few (in the
  // first three passes) raises one unless all are 8. Returns whether
  // another pass is wanted.
  bool next(int bins, int limit, int target);

  const std::array<int, 3>& depths() const { return depths_; }
  int changes() const { return changes_; }

 private:
  std::array<int, 3> depths_;
  int changes_ = 0;
  int passes_ = 0;
};

}  // namespace palvex::quant
