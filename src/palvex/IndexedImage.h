#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "palvex/Palette.h"

namespace palvex {

// The 8-bit result that gets written: one palette index per pixel, row by
// row from the top, and the palette.
struct IndexedImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> indices;
  Palette palette;

  // Whether there is something to write: at least one pixel and an index
  // for each.
  bool complete() const {
    const auto n = static_cast<size_t>(width) * static_cast<size_t>(height);
    return n != 0 && indices.size() == n;
  }
};

}  // namespace palvex
