#pragma once

#include <cstdint>

#include "palvex/Image.h"
#include "palvex/cli/Settings.h"

namespace palvex::masks {

// Finds an image's mask (key) colour and marks its pixels in the mask plane.
class MaskDetector {
 public:
  // The step before an image is scaled to a level (Scaler::scaleToLevel):
  // when masking is on and the image has no mask plane yet, says so in debug
  // mode and prepares the mask (below).
  static void beforeScaling(Image& image, const cli::Settings& settings);
  // When masking is on and the image has no mask plane yet, finds the mask
  // colour (the forced one, or by sampling a 128 × 128 grid once per load)
  // and, when one is known, builds the plane.
  static void prepare(Image& image, const cli::Settings& settings);

  // Whether a sampled colour may be a key colour: at least one channel above
  // 200 but not all three, not a saturated blue or red, and not a light
  // blue.
  static bool isCandidate(uint8_t r, uint8_t g, uint8_t b);

  // The grid vote: sets maskColour and maskFound when a winner qualifies.
  static void detect(Image& image, const cli::Settings& settings);

  // Marks pixels of the mask colour (255) and, with a tolerance of at least
  // 0.001, pixels close to it in colour-difference space (254), and paints
  // both black.
  static void buildPlane(Image& image, const cli::Settings& settings);
};

}  // namespace palvex::masks
