#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace palvex {

// A palette of 256 entries of R, G, B and one unused byte, the number of
// meaningful entries and a weight per entry.
struct Palette {
  std::array<std::array<uint8_t, 4>, 256> entries{};
  int size = 0;
  std::array<float, 256> weights{};

  void set(int i, uint8_t r, uint8_t g, uint8_t b) {
    entries[static_cast<size_t>(i)] = {r, g, b, 0};
  }
};

}  // namespace palvex
