#pragma once

#include <optional>

#include "palvex/Palette.h"
#include "palvex/cli/BatchList.h"
#include "palvex/cli/Settings.h"

namespace palvex::modes {

// Each queued file gets a palette of its own, with adaptive sampling depth.
class PerImageMode {
 public:
  // Returns the palette of the last image written, if any. A file that
  // fails to load ends the run; one that may not be written is skipped.
  static std::optional<Palette> run(cli::Batch& batch, const cli::Settings& settings);
};

}  // namespace palvex::modes
