#pragma once

#include <cstdint>
#include <vector>

namespace util {

// The tiny bitmap font of the score graphs. A glyph is an array of rows, each
// an array of 0/1 cells, 1 meaning ink; row 0 is the top.
class font {
 public:
  using Glyph = std::vector<std::vector<uint8_t>>;

  // The glyph of a digit, the point or the minus sign (10 rows of 7 columns);
  // nullptr for any other character.
  static const Glyph* getBitmap(char c);

  // The vertical-axis titles "frags", "score" and "lives": 35 rows of 13
  // columns, turned a quarter anticlockwise so that they read upwards.
  static const Glyph& fragsV();
  static const Glyph& scoreV();
  static const Glyph& livesV();
  // The horizontal-axis title "time (Min)": 13 rows of 64 columns.
  static const Glyph& time();
};

}  // namespace util
