#include "palvex/modes/AutoCombining.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "palvex/files/ImageFiles.h"
#include "palvex/modes/FilePass.h"
#include "palvex/modes/SpecialModes.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Merger.h"
#include "palvex/quant/PaletteBuilder.h"
#include "palvex/quant/Quantizer.h"

namespace palvex::modes {
namespace {

using quant::PaletteSummary;

constexpr int kMaxPrePasses = 16;

int& rotated(std::array<int, 3>& d, int changes) {
  return d[static_cast<size_t>(quant::DepthAdapter::digitFor(changes))];
}

int lowerMipLimit(int limit) { return limit < 3 ? limit - 1 : 2; }

void printPass(const std::array<int, 3>& d, int mip) {
  std::printf("Component sampling depths: %d, %d, %d  MipsLimit: %d  \n", d[0], d[1], d[2], mip);
}

}  // namespace

PaletteSummary AutoCombining::preSample(Image& im, quant::Sampler& sampler,
                                        const cli::Settings& s) {
  std::array<int, 3> work = s.preDepths;
  int mip = s.mipLimit;
  int changes = 0;
  bool again = false;
  for (int pass = 1; pass <= kMaxPrePasses; ++pass) {
    printPass(work, mip);
    sampler.clear();
    sampler.sample(im, work, mip);
    std::printf("Sampled.");
    std::printf("Bins: %d \n", sampler.count());
    const bool tooMany = sampler.count() > s.binLimit;
    const bool raiseWanted = sampler.count() < im.targetColours && pass < 4;
    bool raised = false;
    if (tooMany) {
      std::printf("Reverting to lower sampling depth: \n");
      int& d = rotated(work, changes++);
      d = std::max(1, d - 1);
      if (mip > 0 && work[1] < 6) {
        work = s.preDepths;
        mip = lowerMipLimit(mip);
      }
    }
    if (raiseWanted && work[0] + work[1] + work[2] != 24) {
      std::printf("Reverting to higher sampling depth: \n");
      int& d = rotated(work, changes++);
      d = std::min(8, d + 1);
      raised = true;
    }
    again = tooMany || raised;
    if (!again) break;
  }
  return AutoCombining::summarize(sampler, im.targetColours, s);
}

Palette AutoCombining::clusterPalette(const std::vector<int>& members, cli::Batch& batch,
                                      const std::vector<bool>& maskSeen, quant::Sampler& sampler,
                                      const cli::Settings& s, bool& reserved) {
  std::array<int, 3> work = s.depths;
  int mip = s.mipLimit;
  int changes = 0;
  int target = s.colours;
  for (int pass = 1;; ++pass) {
    printPass(work, mip);
    std::printf(s.rgb ? " Quantizing in RGB colorspace. #1 \n"
                      : " Quantizing in YCbCr colorspace. #1 \n");
    sampler.clear();
    std::printf("Images in cluster : %i \n", static_cast<int>(members.size()));
    reserved = std::any_of(members.begin(), members.end(),
                           [&](int f) { return maskSeen[static_cast<size_t>(f)]; });
    target = s.colours;
    if (reserved) {
      std::printf("Quantizing with special mask color.\n");
      target = std::min(target, 255);
    }
    for (int f : members) {
      Image& im = batch.records[static_cast<size_t>(f)];
      std::printf("Sampling file:  %s\n", im.inputName.c_str());
      {
        const files::LoadedImage loaded(im, s.allow8bit);
        if (!loaded.loaded()) {
          std::printf("Failed loading image file:  %s \n", im.inputName.c_str());
          continue;
        }
        sampler.sample(im, work, mip);
      }
      std::printf("Cumulative bins: %d texture: %s\n", sampler.count(), im.inputName.c_str());
    }
    const bool tooMany = sampler.count() > s.binLimit;
    bool raised = false;
    if (tooMany) {
      std::printf("Reverting to lower sampling TempDepth: \n");
      int& d = rotated(work, changes++);
      d = std::max(1, d - 1);
      if (mip >= 1 && work[1] <= 4) {
        work = s.depths;
        mip = lowerMipLimit(mip);
      }
    }
    if (sampler.count() < target && pass <= 3 && work[0] + work[1] + work[2] != 24) {
      std::printf("Reverting to higher sampling depth: \n");
      int& d = rotated(work, changes++);
      d = std::min(8, d + 1);
      raised = true;
    }
    if (!(tooMany || raised) || changes > 23) break;
  }
  return quant::Quantizer::quantize(sampler, target, reserved, s);
}

namespace {

// The outputs of the auto modes are named from the output prefix and the
// input name as given, whether or not the run is a batch.
void remapCluster(const std::vector<int>& members, cli::Batch& batch, const Palette& palette,
                  bool reserved, const cli::Settings& s) {
  FilePass::Steps steps = FilePass::indexed(batch, s);
  steps.announce = [](const Image& im) {
    std::printf("Remapping file:  %s\n", im.inputName.c_str());
  };
  steps.name = [&s](const Image& im) {
    std::string name = s.output.empty() ? im.inputName : s.output + im.inputName;
    if (name.size() > 4) name.replace(name.size() - 3, 3, files::extensionOf(s.format));
    return name;
  };
  steps.map = [&](Image& im) {
    std::printf("Remapping to palette...\n");
    im.output = quant::Mapper::map(im, palette, reserved, s);
    std::printf(" OK.\n");
    std::printf(" \n");
    return true;
  };
  std::vector<Image*> files;
  for (int f : members) files.push_back(&batch.records[static_cast<size_t>(f)]);
  FilePass::run(files, steps);
}

void cluster(quant::Clustering& clusters, const cli::Batch& batch, const cli::Settings& s) {
  if (s.errorGiven) {
    std::printf("Max error requirement: %e \n", static_cast<double>(s.maxError));
    while (clusters.count() > 1) {
      const auto pick = clusters.closest(false);
      std::printf("#Clusters: %i  - Smallest distance %e between [%i] and [%i] \n",
                  clusters.count(), static_cast<double>(pick.distance), pick.j, pick.i);
      if (pick.distance > s.maxError) break;
      clusters.merge(pick);
    }
  } else {
    while (clusters.count() > s.autoCommon) {
      const auto pick = clusters.closest(true);
      std::printf("Clusters: %i Smallest distance %e between [%s] and [%s] \n", clusters.count(),
                  static_cast<double>(pick.distance),
                  batch.records[static_cast<size_t>(pick.j)].inputName.c_str(),
                  batch.records[static_cast<size_t>(pick.i)].inputName.c_str());
      clusters.merge(pick);
    }
  }
  std::printf("Done:  %i clusters.\n", clusters.count());
}

}  // namespace

const char* AutoCombining::encouragement(size_t files) {
  if (files >= 141) return "(woohoo! see you next millennium...)";
  if (files >= 121) return "(don't rush me! this is difficult...)";
  if (files >= 101) return "(see you tomorrow...)";
  if (files >= 71) return "(go grab a cup of coffee...)";
  if (files >= 51) return "(please be patient...)";
  if (files > 30) return "(bear with me...)";
  if (files > 10) return "(just a sec.)";
  return "";
}

PaletteSummary AutoCombining::summarize(quant::Sampler& sampler, int target,
                                        const cli::Settings& settings) {
  const int t = std::clamp(target, 1, 256);
  std::printf("Quantizing... Colors: %i -> %i ", sampler.count(), t);
  quant::Merger::merge(sampler.bins(), t, settings.method == 2, settings.debug);
  std::printf("Done.\n");
  cli::Settings plain = settings;
  plain.forcedColour = false;
  const int count = std::min(sampler.count(), 256);
  const Palette p = quant::PaletteBuilder::build(sampler.bins(), false, plain);
  const int offset = p.size > count ? 1 : 0;
  float total = 0;
  for (int n = 1; n <= sampler.count(); ++n) total += sampler.bins()[static_cast<size_t>(n)].weight;
  PaletteSummary summary;
  for (int n = 0; n < count; ++n) {
    const auto& e = p.entries[static_cast<size_t>(n + offset)];
    summary.colours.push_back({e[0], e[1], e[2]});
    summary.weights.push_back(total > 0 ? p.weights[static_cast<size_t>(n + offset)] / total : 0);
  }
  return summary;
}

void AutoCombining::run(cli::Batch& batch, const cli::Settings& s) {
  quant::Sampler sampler(s);
  std::vector<PaletteSummary> summaries;
  std::vector<bool> maskSeen;
  for (Image& im : batch.records) {
    std::printf("Pre-sampling file:  %s\n", im.inputName.c_str());
    const files::LoadedImage loaded(im, s.allow8bit);
    if (!loaded.loaded()) {
      std::printf("Failed loading image file:  %s \n", im.inputName.c_str());
      return;
    }
    if ((im.refWidth > 0 && im.width < im.refWidth) ||
        (im.refHeight > 0 && im.height < im.refHeight)) {
      std::printf("XXX Cannot scale UP textures, only scale down -> Must be a pcx mismatch: %s\n",
                  im.inputName.c_str());
      return;
    }
    summaries.push_back(AutoCombining::preSample(im, sampler, s));
    maskSeen.push_back(im.maskFound);
  }
  std::printf("Merging suitable palettes...\n");
  std::printf("%s", encouragement(batch.records.size()));
  auto matrix = quant::Clustering::matrix(summaries);
  if (!matrix) {
    std::printf(" Not enough memory for clustering palettes.\n");
    return;
  }
  quant::Clustering clusters(std::move(*matrix), static_cast<int>(summaries.size()));
  cluster(clusters, batch, s);
  int counter = 0;
  for (const auto& members : clusters.clusters()) {
    bool reserved = false;
    const Palette palette =
        AutoCombining::clusterPalette(members, batch, maskSeen, sampler, s, reserved);
    remapCluster(members, batch, palette, reserved, s);
    if (!s.writePal.empty()) {
      SpecialModes::writePalettePicture(palette, std::to_string(counter) + s.writePal, s);
    }
    ++counter;
  }
}

}  // namespace palvex::modes
