#include "palvex/modes/PerImageMode.h"

#include <algorithm>
#include <cstdio>

#include "palvex/modes/FilePass.h"
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
  FilePass::Steps steps = FilePass::eachImage(batch, settings);
  steps.map = [&](Image& im) {
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
    im.output = quant::Mapper::map(im, palette, reserved, settings);
    return true;
  };
  steps.written = [&](const Image& im) {
    FilePass::reportWritten(im);
    last = im.output.palette;
  };
  FilePass::run(batch, steps);
  return last;
}

}  // namespace palvex::modes
