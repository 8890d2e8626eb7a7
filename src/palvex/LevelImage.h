#pragma once

#include <cstdint>
#include <vector>

namespace palvex {

// A picture scaled to one level (level 0 is the output size, further
// levels halve it): 4 bytes per pixel (R, G, B, level mask value), and one
// mask byte per pixel (0 keep, 255 masked) when the picture has a mask
// plane, none otherwise.
struct LevelImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> mask;
};

}  // namespace palvex
