#pragma once

#include "palvex/cli/BatchList.h"
#include "palvex/cli/Settings.h"
#include "palvex/quant/Clustering.h"
#include "palvex/quant/Sampler.h"

namespace palvex::modes {

// -auto N and -error X: every file pre-sampled into a palette summary, the
// files grouped by the distances of their summaries, one palette per group.
class AutoCombining {
 public:
  static void run(cli::Batch& batch, const cli::Settings& settings);

  // The line that keeps the user company while `files` are merged, or ""
  // for ten or fewer.
  static const char* encouragement(size_t files);

  // The merged bins' colours (entry n − 1 from bin n, neither reserved
  // entry nor sorting) with their shares of the total weight.
  static quant::PaletteSummary summarize(quant::Sampler& sampler, int target,
                                         const cli::Settings& settings);
};

}  // namespace palvex::modes
