#pragma once

#include "palvex/Image.h"
#include "palvex/LevelImage.h"
#include "palvex/cli/Settings.h"

namespace palvex::masks {

// Scales images down to the output size (level 0) and to mip levels by box
// averaging, keeping masked pixels apart.
class Scaler {
 public:
  // round(1 ÷ factor), at least 1: a factor above 2 or below 0 would
  // otherwise give a divisor of 0 or less.
  static int divisor(float factor);

  // The image's source picture scaled to `level`, at the size its reference
  // file or the scale factors give, with a level mask when the image has a
  // mask plane. Mask detection (MaskDetector::beforeScaling) comes first
  // when masking is on; it is the caller's step.
  static LevelImage scaleToLevel(const Image& image, int level, const cli::Settings& settings);
};

}  // namespace palvex::masks
