#include "palvex/modes/SharedPaletteModes.h"

#include <algorithm>
#include <cstdio>

#include "palvex/files/ImageFiles.h"
#include "palvex/modes/FilePass.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Sampler.h"

namespace palvex::modes {
namespace {

// The steps that map each file onto `palette` and write it; `before` and
// `after` are the mode's lines around the mapping.
FilePass::Steps remapping(const Palette& palette, bool reserved, const cli::Batch& batch,
                          const cli::Settings& settings, const char* before, const char* after) {
  FilePass::Steps steps = FilePass::indexed(batch, settings);
  steps.map = [&palette, reserved, &settings, before, after](Image& im) {
    std::printf("%s", before);
    im.output = quant::Mapper::map(im, palette, reserved, settings);
    std::printf("%s", after);
    return true;
  };
  return steps;
}

}  // namespace

std::optional<Palette> SharedPaletteModes::master(cli::Batch& batch,
                                                  const cli::Settings& settings) {
  Palette palette;
  {
    Image source;
    source.inputName = settings.palette;
    const files::LoadedImage loaded(source, settings.allow8bit);
    if (!loaded.loaded()) {
      std::printf("Failed loading image file:  %s \n", source.inputName.c_str());
      return std::nullopt;
    }
    if (source.hasPalette()) {
      std::printf("Using palette from reference file.. \n");
      palette = source.palette();
    } else {
      quant::Sampler sampler(settings);
      sampler.sample(source, settings.depths, settings.mipLimit);
      palette = quant::Quantizer::quantize(sampler, 256, false, settings);
    }
  }
  std::printf("Remapping all files to master palette..\n");
  FilePass::Steps steps =
      remapping(palette, false, batch, settings, "Remapping to palette..\n", "");
  steps.announce = [](const Image& im) {
    std::printf("Remapping file:  %s\n", im.inputName.c_str());
  };
  steps.loadFailed = "+ image file:  ";
  FilePass::run(batch, steps);
  return palette;
}

std::optional<Palette> SharedPaletteModes::common(cli::Batch& batch,
                                                  const cli::Settings& settings) {
  quant::Sampler sampler(settings);
  quant::DepthAdapter depths(settings.depths);
  bool anyMask = false;
  do {
    const auto& d = depths.depths();
    std::printf("Component sampling depths: %d, %d, %d \n", d[0], d[1], d[2]);
    std::printf(settings.rgb ? "Quantizing in RGB colorspace. \n"
                             : "Quantizing in YCbCr colorspace. \n");
    sampler.clear();
    anyMask = false;
    for (Image& im : batch.records) {
      std::printf(" Target colors: %i \n", im.targetColours);
      std::printf("Sampling file:  %s\n", im.inputName.c_str());
      {
        const files::LoadedImage loaded(im, settings.allow8bit);
        if (!loaded.loaded()) {
          std::printf("Failed loading image file:  %s \n", im.inputName.c_str());
          continue;
        }
        sampler.sample(im, d, settings.mipLimit);
        anyMask = anyMask || im.maskFound;
      }
      std::printf("Cumulative color bins:  %i\n", sampler.count());
    }
  } while (depths.next(sampler.count(), settings.binLimit, settings.colours));

  int target = settings.colours;
  if (anyMask) {
    std::printf("Quantizing with special mask color.\n");
    target = std::min(target, 255);
  }
  const Palette palette = quant::Quantizer::quantize(sampler, target, anyMask, settings);
  FilePass::Steps steps = remapping(palette, anyMask, batch, settings, "Remapping to palette...\n",
                                    "Writing remapped image...\n");
  steps.announce = [](const Image& im) {
    std::printf("Remapping file to common palette:  %s\n", im.inputName.c_str());
  };
  FilePass::run(batch, steps);
  return palette;
}

}  // namespace palvex::modes
