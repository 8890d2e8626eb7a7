#include "palvex/modes/SpecialModes.h"

#include <cstdio>
#include <functional>

#include "palvex/files/ImageFiles.h"
#include "palvex/masks/MaskDetector.h"
#include "palvex/modes/FilePass.h"
#include "palvex/modes/OutputNames.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/PaletteBuilder.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Sampler.h"
#include "palvex/special/SpecialMaps.h"

namespace palvex::modes {
namespace {

using special::SpecialMaps;

// The 24-bit pictures: the PCX choice is dropped, so the name keeps its
// extension unless -tga or -bmp was given. These pictures are BMP files
// whatever the choice, so -png is dropped as PCX is, rather than giving a
// BMP file a PNG name.
void trueColourPictures(cli::Batch& batch, const cli::Settings& settings,
                        const std::function<void(Image&)>& paint) {
  FilePass::Steps steps;
  steps.allow8bit = settings.allow8bit;
  steps.overwrite = settings.overwrite;
  steps.announce = [](const Image& im) {
    std::printf("Pre-sampling file:  %s\n", im.inputName.c_str());
  };
  steps.stopOnFailedLoad = true;
  steps.name = [&](const Image& im) {
    return settings.format == files::OutputFormat::kPcx ||
                   settings.format == files::OutputFormat::kPng
               ? OutputNames::base(im, settings, batch.batchMode)
               : OutputNames::make(im, settings, batch.batchMode,
                                   files::extensionOf(settings.format));
  };
  steps.map = [&](Image& im) {
    paint(im);
    return true;
  };
  steps.write = [](const Image& im) {
    return files::ImageFiles::writeTrueColour(im, im.outputName);
  };
  FilePass::run(batch, steps);
}

// The flow of the bump and stream maps: load with 8-bit input allowed,
// name, check, then `make` fills the output indices and palette (false:
// nothing to write).
void eightBitMaps(cli::Batch& batch, const cli::Settings& settings, bool keepIndices,
                  const std::function<bool(Image&)>& make) {
  FilePass::Steps steps = FilePass::eachImage(batch, settings);
  steps.allow8bit = true;
  steps.keepIndexPlane = keepIndices;
  steps.map = [&](Image& im) {
    if (!make(im)) return false;
    im.output.width = im.width;
    im.output.height = im.height;
    return true;
  };
  steps.written = FilePass::reportWritten;
  FilePass::run(batch, steps);
}

}  // namespace

void SpecialModes::maskPictures(cli::Batch& batch, const cli::Settings& settings) {
  cli::Settings masking = settings;
  masking.masking = true;
  trueColourPictures(batch, settings, [&](Image& im) {
    masks::MaskDetector::prepare(im, masking);
    SpecialMaps::paintMask(im);
  });
}

void SpecialModes::thresholdPictures(cli::Batch& batch, const cli::Settings& settings) {
  trueColourPictures(batch, settings,
                     [&](Image& im) { SpecialMaps::threshold(im, settings.trans); });
}

void SpecialModes::bumpMaps(cli::Batch& batch, const cli::Settings& settings) {
  eightBitMaps(batch, settings, false, [&](Image& im) {
    std::printf("Bumping....\n");
    if (settings.debug) std::printf(" Creating final 8 bit BUMP bitmap: ");
    im.output.indices = SpecialMaps::bump(im, settings.bump);
    im.output.palette = SpecialMaps::bumpPalette();
    std::printf("...ready.\n");
    return true;
  });
}

void SpecialModes::streamMaps(cli::Batch& batch, const cli::Settings& settings) {
  eightBitMaps(batch, settings, true, [&](Image& im) {
    std::printf("Streaming....\n");
    const auto w = static_cast<size_t>(im.width);
    if (im.indexPlane.size() != w * static_cast<size_t>(im.height) || w == 0) {
      std::printf(" Error: input file for stream map must be an 8-bit file...");
      return false;
    }
    std::printf(" Creating STREAMS bitmap: ");
    im.output.indices.assign(im.indexPlane.size(), 0);
    const int passes = static_cast<int>(settings.stream);
    for (int r = 0; r < im.height; ++r) {
      const size_t at = static_cast<size_t>(r) * w;
      SpecialMaps::streamRow(std::span<const uint8_t>(im.indexPlane).subspan(at, w), r, im.height,
                             passes, std::span<uint8_t>(im.output.indices).subspan(at, w));
    }
    im.output.palette = SpecialMaps::greyRamp();
    std::printf("Streaming done. \n");
    return true;
  });
}

void SpecialModes::paletteSmoothing(cli::Batch& batch, const cli::Settings& settings) {
  std::printf("Palette smoothing selected.\n");
  FilePass::Steps steps;
  steps.allow8bit = true;
  steps.overwrite = settings.overwrite;
  // The file gives the palette, smoothed; the example picture, mapped onto
  // its own palette, gives the indices.
  steps.check = [&](Image& im) {
    if (!im.hasPalette()) {
      std::printf(" Error: input file for palette smoothing must be an 8-bit file...\n");
      return FilePass::Next::kSkip;
    }
    Palette smoothed = im.palette();
    SpecialMaps::smoothPalette(smoothed);

    std::printf("reading example picture: %s", settings.palette.c_str());
    Image example;
    example.inputName = settings.palette;
    if (!files::ImageFiles::load(example, true)) {
      std::printf("Failed loading image file:  %s \n", example.inputName.c_str());
      return FilePass::Next::kStop;
    }
    Palette own;
    if (example.hasPalette()) {
      own = example.palette();
      quant::PaletteBuilder::sort(own, settings);
    } else {
      quant::Sampler sampler(settings);
      sampler.sample(example, settings.depths, settings.mipLimit);
      own = quant::Quantizer::quantize(sampler, 256, false, settings);
    }
    im.output = quant::Mapper::map(example, own, false, settings);
    im.output.palette = smoothed;
    return FilePass::Next::kGoOn;
  };
  steps.name = [&](const Image& im) {
    return OutputNames::make(im, settings, batch.batchMode, "pcx");
  };
  steps.write = [&](const Image& im) {
    return files::ImageFiles::writeIndexed(im.output, im.outputName, files::OutputFormat::kPcx,
                                           settings.debug);
  };
  steps.written = FilePass::reportWritten;
  FilePass::run(batch, steps);
}

bool SpecialModes::writePalettePicture(const Palette& palette, const std::string& name,
                                       const cli::Settings& settings) {
  IndexedImage ramp;
  ramp.width = SpecialMaps::kRampWidth;
  ramp.height = SpecialMaps::kRampHeight;
  ramp.indices = SpecialMaps::paletteRamp();
  ramp.palette = palette;
  return files::ImageFiles::writeIndexed(ramp, name, settings.format, settings.debug);
}

}  // namespace palvex::modes
