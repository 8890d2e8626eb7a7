#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "palvex/Image.h"
#include "palvex/Palette.h"
#include "palvex/SourcePicture.h"

namespace palvex::special {

// The outputs that do not go through the quantizer: bump and stream maps,
// threshold pictures, palette pictures and palette smoothing.
class SpecialMaps {
 public:
  // One signed byte per source pixel: bias × (L(pixel) − L(right)) × 0.5,
  // truncated toward zero and clamped to −128..127, with
  // L = 0.3 R + 0.5 G + 0.2 B and the right neighbour at column
  // (x + 1) AND (width − 1).
  static std::vector<uint8_t> bump(const SourcePicture& picture, float bias);
  // Entries 0..127 are (2i, i, 2i), entries 255 − i are (i, 2i, 2i).
  static Palette bumpPalette();

  // The stream-map bytes of row `row` of `rows`, from the row's palette
  // indices (`codes`), then `passes` smoothing passes. `out` has the size
  // of `codes`.
  static void streamRow(std::span<const uint8_t> codes, int row, int rows, int passes,
                        std::span<uint8_t> out);
  // Entry i is (i, i, i).
  static Palette greyRamp();

  // Paints black every pixel whose luminance is below level × 255.
  static void threshold(SourcePicture& picture, float level);
  // Paints every pixel with a non-zero mask byte in the mask colour.
  static void paintMask(Image& image);

  // 256 × 32 indices, column x having index x.
  static std::vector<uint8_t> paletteRamp();
  static constexpr int kRampWidth = 256;
  static constexpr int kRampHeight = 32;

  // Per channel, from entry 1: each run of equal values becomes a linear
  // ramp from its value to the value that ends it.
  static void smoothPalette(Palette& palette);
};

}  // namespace palvex::special
