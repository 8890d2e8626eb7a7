#pragma once

#include <cstdint>

#include "palvex/Image.h"
#include "palvex/IndexedImage.h"
#include "palvex/Palette.h"
#include "palvex/cli/Settings.h"

namespace palvex::quant {

// Maps an image onto a palette, with optional serpentine error diffusion.
class Mapper {
 public:
  // The entry from `first` to palette.size − 1 with the smallest
  // (17 ΔR)² + (32 ΔG)² + (9 ΔB)²; the lowest index wins ties.
  static int nearest(const Palette& palette, int first, int r, int g, int b);

  // Prepares the image's mask (MaskDetector::beforeScaling), scales it to
  // level 0 and returns the level mapped onto `palette`, which the result
  // carries. With `settings.refine` the nearest entry is the one at the
  // smallest plain squared RGB distance (lowest index on ties), dithered or
  // not. Entry 0 is left out of the search when `reserved`, or when
  // masking is on and the image has a mask plane; masked level pixels of an
  // image with a found mask colour become entry 0.
  static IndexedImage map(Image& image, const Palette& palette, bool reserved,
                          const cli::Settings& settings);
};

}  // namespace palvex::quant
