#pragma once

#include <array>
#include <vector>

#include "palvex/Palette.h"

namespace palvex::quant {

// The opt-in refinement (-refine): weighted k-means (Lloyd) rounds in plain
// RGB that move a built palette's entries towards the sampled colours they
// stand for.
class Refiner {
 public:
  // A sampled bin's mean colour in RGB (unrounded) and its weight.
  struct Colour {
    double rgb[3] = {0, 0, 0};
    double weight = 0;
  };

  // At most this many rounds; fewer when nothing moves or a round would not
  // lower the total error.
  static constexpr int kRounds = 12;

  // The mean colours of sampled bins from their RGB sums (R, G, B weighted
  // sums and weight per bin, numbered from 1; Sampler::rgbSums). Bins of
  // weight 0 are left out.
  static std::vector<Colour> colours(const std::vector<std::array<double, 4>>& sums);

  // Runs the rounds on `palette` (entries 0 .. size − 1). Entries below
  // `fixed` never move; colours are only assigned to entries from `first`
  // on. Each round assigns every colour to its nearest entry in squared RGB
  // distance (lowest index on ties) and moves every free entry to the
  // rounded weighted mean of its colours; a free entry without colours takes
  // the colour that is worst served. A round is kept only when it lowers
  // the total weighted error, so a palette that holds every sampled colour
  // exactly is left as it is. Deterministic: no randomness, fixed order.
  static void refine(Palette& palette, const std::vector<Colour>& colours, int fixed, int first);
};

}  // namespace palvex::quant
