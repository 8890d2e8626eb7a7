#pragma once

#include <vector>

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
  // Pre-samples one loaded file with the pre-sampling depths, adapting
  // depth and mip limit, and summarizes it.
  static quant::PaletteSummary preSample(Image& im, quant::Sampler& sampler,
                                         const cli::Settings& s);
  // Samples the members of one cluster into one palette; `reserved` tells
  // whether entry 0 is kept for masked pixels.
  static Palette clusterPalette(const std::vector<int>& members, cli::Batch& batch,
                                const std::vector<bool>& maskSeen, quant::Sampler& sampler,
                                const cli::Settings& s, bool& reserved);

  static quant::PaletteSummary summarize(quant::Sampler& sampler, int target,
                                         const cli::Settings& settings);
};

}  // namespace palvex::modes
