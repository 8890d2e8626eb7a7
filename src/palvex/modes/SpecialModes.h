#pragma once

#include <optional>
#include <string>

#include "palvex/Palette.h"
#include "palvex/cli/BatchList.h"
#include "palvex/cli/Settings.h"

namespace palvex::modes {

// The modes whose outputs do not go through the quantizer of each file.
class SpecialModes {
 public:
  // -outmask: each file with its masked pixels in the mask colour, as a
  // 24-bit BMP. -trans X: each file with the pixels darker than X × 255
  // black, as a 24-bit BMP.
  static void maskPictures(cli::Batch& batch, const cli::Settings& settings);
  static void thresholdPictures(cli::Batch& batch, const cli::Settings& settings);
  // -bump X and -stream X: one 8-bit map per file in the output format.
  static void bumpMaps(cli::Batch& batch, const cli::Settings& settings);
  static void streamMaps(cli::Batch& batch, const cli::Settings& settings);
  // -palsmooth with -palette FILE.
  static void paletteSmoothing(cli::Batch& batch, const cli::Settings& settings);

  // -writepal FILE: the 256 × 32 ramp of `palette` under `name` as given.
  static bool writePalettePicture(const Palette& palette, const std::string& name,
                                  const cli::Settings& settings);
};

}  // namespace palvex::modes
