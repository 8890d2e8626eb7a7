#pragma once

#include <vector>

#include "palvex/Palette.h"
#include "palvex/cli/Settings.h"
#include "palvex/quant/Bin.h"

namespace palvex::quant {

// Turns merged bins into a palette and orders it.
class PaletteBuilder {
 public:
  // Entry n − 1 is the mean colour of bin n. When `reserved` or when fewer
  // than 256 entries result, the entries move up one and entry 0 becomes
  // black, or the forced mask colour when one is set.
  static Palette build(const std::vector<Bin>& bins, bool reserved, const cli::Settings& settings);

  // Sorts by 42·R + 50·G + 15·B (stable), from entry 1 when a forced mask
  // colour holds entry 0, drops an entry equal to the one placed before it
  // and fills the rest with white.
  static void sort(Palette& palette, const cli::Settings& settings);
};

}  // namespace palvex::quant
