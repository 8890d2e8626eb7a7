#include "palvex/modes/PerImageMode.h"

#include <algorithm>
#include <cstdio>

#include "palvex/files/ImageFiles.h"
#include "palvex/modes/OutputNames.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Sampler.h"

namespace palvex::modes {

std::optional<Palette> PerImageMode::run(cli::Batch& batch, const cli::Settings& settings) {
  std::optional<Palette> last;
  if (settings.dither > 0) std::printf("Dither value: %d\n", settings.dither);
  std::printf(settings.rgb ? "Quantizing in RGB colorspace. \n"
                           : "Quantizing in YCbCr colorspace. \n");
  quant::Sampler sampler(settings);
  for (Image& im : batch.records) {
    std::printf("Processing file:  %s\n", im.inputName.c_str());
    std::printf(" Target colors: %i \n", im.targetColours);
    const files::LoadedImage loaded(im, settings.allow8bit);
    if (!loaded.loaded()) {
      std::printf("i) Failed loading image file:  %s \n", im.inputName.c_str());
      return last;
    }
    std::printf("Image input size: %d x %d  \n", im.height, im.width);
    im.outputName =
        OutputNames::make(im, settings, batch.batchMode, files::extensionOf(settings.format));
    if (!OutputNames::mayWrite(im.outputName, settings.overwrite)) continue;
    std::printf("Dither value: %d\n", settings.dither);
    quant::DepthAdapter depths(settings.depths);
    do {
      const auto& d = depths.depths();
      std::printf("Component sampling depths: %d, %d, %d \n", d[0], d[1], d[2]);
      sampler.clear();
      sampler.sample(im, d, settings.mipLimit);
      std::printf("Color bins: %d \n", sampler.count());
    } while (depths.next(sampler.count(), settings.binLimit, im.targetColours));

    const bool reserved = im.maskFound;
    int target = im.targetColours;
    if (reserved) {
      std::printf("Quantizing with special mask color.\n");
      target = std::min(target, 255);
    }
    const Palette palette = quant::Quantizer::quantize(sampler, target, reserved, settings);
    std::printf("Remapping to palette....\n");
    quant::Mapper::map(im, palette, reserved, settings);
    if (files::ImageFiles::writeIndexed(im, settings.format, settings.debug)) {
      std::printf(" File written: %s .\n", im.outputName.c_str());
      im.written = true;
      last = palette;
    }
  }
  return last;
}

}  // namespace palvex::modes
