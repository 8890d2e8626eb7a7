#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "palvex/Palette.h"

namespace palvex {

// A loaded true-colour picture: what a codec gives, before masking and
// scaling.
struct SourcePicture {
  // height × width pixels of R, G, B, top row first.
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
  // Set by the caller when the indices of a paletted source are wanted.
  bool keepIndexPlane = false;
  std::vector<uint8_t> indexPlane;
  // R, G, B, unused; the size is 256 after an 8-bit PCX or BMP, else 0.
  std::array<uint8_t, 1024> sourcePalette{};
  int sourcePaletteSize = 0;

  // Whether the file was paletted and its 256 entries are known.
  bool hasPalette() const { return sourcePaletteSize == 256; }
  // The file's own palette as 256 entries; all black when it has none.
  Palette palette() const {
    Palette p;
    for (size_t i = 0; i < 256; ++i) {
      const uint8_t* e = sourcePalette.data() + i * 4;
      p.set(static_cast<int>(i), e[0], e[1], e[2]);
    }
    p.size = 256;
    return p;
  }
};

}  // namespace palvex
