#include "palvex/quant/Quantizer.h"

#include <algorithm>
#include <cstdio>

#include "palvex/quant/Merger.h"
#include "palvex/quant/PaletteBuilder.h"
#include "palvex/quant/Refiner.h"

namespace palvex::quant {

Palette Quantizer::quantize(Sampler& sampler, int target, bool reserved,
                            const cli::Settings& settings) {
  // The palette has 256 entries; targets outside 1..256 are held to them.
  const int t = std::clamp(target, 1, 256);
  std::printf("Quantizing...Colors: %i -> %i ", sampler.count(), t);
  // The bins as sampled, before the merge changes them.
  std::vector<Refiner::Colour> sampled;
  if (settings.refine) sampled = Refiner::colours(sampler.rgbSums());
  Merger::merge(sampler.bins(), t, settings.method == 2, settings.debug);
  std::printf("Done.\n");
  Palette p = PaletteBuilder::build(sampler.bins(), reserved, settings);
  if (settings.refine) {
    // Entry 0 stays when the builder put it there (black or the mask
    // colour) and is not searched when masked pixels hold it.
    const int fixed = p.size > sampler.count() || settings.forcedColour ? 1 : 0;
    const int first = reserved || settings.forcedColour ? 1 : 0;
    Refiner::refine(p, sampled, fixed, first);
  }
  PaletteBuilder::sort(p, settings);
  return p;
}

bool DepthAdapter::next(int bins, int limit, int target) {
  bool raised = false;
  if (bins > limit) {
    std::printf("Reverting to lower sampling depth: \n");
    int& d = depths_[static_cast<size_t>(digitFor(changes_))];
    d = std::max(1, d - 1);
    ++changes_;
  }
  if (bins < target && passes_ < 3 && depths_[0] + depths_[1] + depths_[2] != 24) {
    std::printf("Reverting to higher sampling depth: \n");
    int& d = depths_[static_cast<size_t>(digitFor(changes_))];
    d = std::min(8, d + 1);
    ++changes_;
    raised = true;
  }
  ++passes_;
  if (changes_ > 23) return false;
  return bins > limit || raised;
}

}  // namespace palvex::quant
