#pragma once

#include <string>
#include <vector>

#include "palvex/Image.h"
#include "palvex/cli/Settings.h"

namespace palvex::masks {

// Output sizes taken from a set of earlier files (-refdir).
class RefSizes {
 public:
  // PATH, the separator and the listed name, with ".BMP" (any case) looked
  // up as ".pcx".
  static std::string referenceName(const std::string& dir, const std::string& name);
  // Loads each record's reference and keeps its size, printing the outcome.
  static void read(std::vector<Image>& records, const cli::Settings& settings);
  // Names the records that got no reference size.
  static void reportMissing(const std::vector<Image>& records);
};

}  // namespace palvex::masks
