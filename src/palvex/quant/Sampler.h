#pragma once

#include <array>
#include <vector>

#include "palvex/Image.h"
#include "palvex/LevelImage.h"
#include "palvex/SourcePicture.h"
#include "palvex/cli/Settings.h"
#include "palvex/quant/Bin.h"

namespace palvex::quant {

// Collects the colours of one or more images into weighted bins, found
// through a 32 × 32 × 32 coarse index.
class Sampler {
 public:
  static constexpr int kCells = 32768;

  explicit Sampler(const cli::Settings& settings);

  // Empties the bins and the coarse index.
  void clear();
  // Samples `image` at level 0 and, with mip sampling, at further levels
  // (up to `mipLimit`), with `depths` bits kept of the three components.
  void sample(Image& image, const std::array<int, 3>& depths, int mipLimit);

  // Bins are numbered from 1; entry 0 is unused.
  int count() const { return static_cast<int>(bins_.size()) - 1; }
  std::vector<Bin>& bins() { return bins_; }
  // With -refine: per bin (numbered as the bins), the weighted sums of its
  // pixels' R, G and B and its weight, in double precision, so that a bin
  // of one colour gives that colour exactly. Empty without -refine.
  const std::vector<std::array<double, 4>>& rgbSums() const { return rgbSums_; }
  // Sampling of a level stops when the bins reach this number.
  int ceiling() const;
  // The number of further levels sampled for an image.
  int mipLevels(const Image& image, int mipLimit) const;

 private:
  // Samples one scaled level of `source`; in debug mode with emphasis the
  // rough pixels of a level 0 of the source's size are painted into it.
  void sampleLevel(const LevelImage& scaled, SourcePicture& source, int level, float weight,
                   bool ownBins, const std::array<int, 3>& depths);
  // Returns the number of the bin the colour went to.
  size_t add(const double c[3], float weight, const std::array<int, 3>& depths, bool ownBin);

  const cli::Settings& settings_;
  std::vector<Bin> bins_;
  std::vector<int32_t> heads_;
  std::vector<std::array<double, 4>> rgbSums_;
};

}  // namespace palvex::quant
