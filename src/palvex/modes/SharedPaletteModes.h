#pragma once

#include <optional>

#include "palvex/Palette.h"
#include "palvex/cli/BatchList.h"
#include "palvex/cli/Settings.h"

namespace palvex::modes {

// The modes in which all queued files share one palette.
class SharedPaletteModes {
 public:
  // -palette FILE: the palette of a paletted PCX or BMP as it stands, or
  // FILE quantized to 256 colours, and every file mapped onto it. Returns
  // the palette, or nothing when FILE cannot be loaded.
  static std::optional<Palette> master(cli::Batch& batch, const cli::Settings& settings);

  // -common: all files sampled into one set of bins with adaptive depth,
  // one palette, and every file mapped onto it.
  static std::optional<Palette> common(cli::Batch& batch, const cli::Settings& settings);
};

}  // namespace palvex::modes
