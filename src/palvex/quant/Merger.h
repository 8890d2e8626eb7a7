#pragma once

#include <vector>

#include "palvex/quant/Bin.h"

namespace palvex::quant {

// Reduces bins by repeatedly merging the pair whose merge costs least, in
// single precision.
class Merger {
 public:
  // The cost of merging a and b: wa·wb ÷ (wa + wb) × |ma − mb|².
  static float cost(const Bin& a, const Bin& b);

  // Merges `bins` (numbered from 1; entry 0 unused) down to at most `target`
  // bins. Each step merges the bin with the smallest recorded cost (the
  // lowest-numbered on ties) into its recorded neighbour, the nearest among
  // the higher-numbered bins (the lowest-numbered on ties), and moves the
  // highest bin into the freed number. With `squareRootWeights` (method 2)
  // weights are first replaced by their square roots, keeping the means.
  static void merge(std::vector<Bin>& bins, int target, bool squareRootWeights, bool debug);
};

}  // namespace palvex::quant
