// The default quantization's phases, per image: sampling (with the depth
// adaptation), merging the bins to 256 and mapping, each the best of a few
// runs, with the bin count. The merge is the part that grows with the bins.
//   palvex_merge_bench [RUNS] IMAGE...   (24-bit BMP, TGA, PCX or PNG)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "palvex/files/ImageFiles.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Merger.h"
#include "palvex/quant/PaletteBuilder.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Sampler.h"

namespace {

using namespace palvex;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  int runs = 3;
  if (argc > 1 && std::atoi(argv[1]) > 0) {
    runs = std::atoi(argv[1]);
    first = 2;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: palvex_merge_bench [RUNS] IMAGE...\n");
    return 2;
  }
  const cli::Settings settings;
  // The table comes last: sampling prints its own lines on the way.
  std::string table;
  char row[256];
  double totalMerge = 0;
  for (int i = first; i < argc; ++i) {
    double sample = 1e9, merge = 1e9, map = 1e9;
    int bins = 0;
    for (int r = 0; r < runs; ++r) {
      Image im;
      im.inputName = argv[i];
      if (!files::ImageFiles::load(im, false)) {
        std::fprintf(stderr, "%s: not loaded\n", argv[i]);
        return 1;
      }
      quant::Sampler sampler(settings);
      auto t = Clock::now();
      quant::DepthAdapter depths(settings.depths);
      do {
        sampler.clear();
        sampler.sample(im, depths.depths(), settings.mipLimit);
      } while (depths.next(sampler.count(), settings.binLimit, im.targetColours));
      sample = std::min(sample, seconds(t));
      bins = sampler.count();
      t = Clock::now();
      quant::Merger::merge(sampler.bins(), 256, false, false);
      merge = std::min(merge, seconds(t));
      Palette p = quant::PaletteBuilder::build(sampler.bins(), false, settings);
      quant::PaletteBuilder::sort(p, settings);
      t = Clock::now();
      im.output = quant::Mapper::map(im, p, false, settings);
      map = std::min(map, seconds(t));
    }
    std::snprintf(row, sizeof row, "%-28s %6d %9.4f %9.4f %9.4f\n", argv[i], bins, sample, merge,
                  map);
    table += row;
    totalMerge += merge;
  }
  std::printf("\n%-28s %6s %9s %9s %9s\n%s%-28s %6s %9s %9.4f\n", "image", "bins", "sample",
              "merge", "map", table.c_str(), "total", "", "", totalMerge);
  return 0;
}
