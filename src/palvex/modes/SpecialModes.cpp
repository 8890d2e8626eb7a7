#include "palvex/modes/SpecialModes.h"

#include <cstdio>
#include <functional>

#include "palvex/files/ImageFiles.h"
#include "palvex/masks/MaskDetector.h"
#include "palvex/modes/OutputNames.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/PaletteBuilder.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Sampler.h"
#include "palvex/special/SpecialMaps.h"
#include "platform/FileSystem.h"

namespace palvex::modes {
namespace {

using special::SpecialMaps;

// The 24-bit pictures: the PCX choice is dropped, so the name keeps its
// extension unless -tga or -bmp was given. These pictures are BMP files
// whatever the choice, so -png is dropped as PCX is, rather than giving a
// BMP file a PNG name.
void trueColourPictures(cli::Batch& batch, const cli::Settings& settings,
                        const std::function<void(Image&)>& paint) {
  for (Image& im : batch.records) {
    std::printf("Pre-sampling file:  %s\n", im.inputName.c_str());
    const files::LoadedImage loaded(im, settings.allow8bit);
    if (!loaded.loaded()) {
      std::printf("Failed loading image file:  %s \n", im.inputName.c_str());
      return;
    }
    im.outputName =
        settings.format == files::OutputFormat::kPcx || settings.format == files::OutputFormat::kPng
            ? OutputNames::base(im, settings, batch.batchMode)
            : OutputNames::make(im, settings, batch.batchMode, files::extensionOf(settings.format));
    if (OutputNames::mayWrite(im.outputName, settings.overwrite)) {
      paint(im);
      im.written = files::ImageFiles::writeTrueColour(im);
    }
  }
}

// The flow of the bump and stream maps: load with 8-bit input allowed,
// name, check, then `make` fills the output (false: nothing to write).
void eightBitMaps(cli::Batch& batch, const cli::Settings& settings, bool keepIndices,
                  const std::function<bool(Image&)>& make) {
  for (Image& im : batch.records) {
    std::printf("Processing file:  %s\n", im.inputName.c_str());
    std::printf(" Target colors: %i \n", im.targetColours);
    im.keepIndexPlane = keepIndices;
    const files::LoadedImage loaded(im, true);
    if (!loaded.loaded()) {
      std::printf("i) Failed loading image file:  %s \n", im.inputName.c_str());
      return;
    }
    std::printf("Image input size: %d x %d  \n", im.height, im.width);
    im.outputName =
        OutputNames::make(im, settings, batch.batchMode, files::extensionOf(settings.format));
    if (OutputNames::mayWrite(im.outputName, settings.overwrite)) {
      if (make(im)) {
        im.outWidth = im.width;
        im.outHeight = im.height;
        if (files::ImageFiles::writeIndexed(im, settings.format, settings.debug)) {
          std::printf(" File written: %s .\n", im.outputName.c_str());
          im.written = true;
        }
      } else {
        // The test file is empty; leave nothing behind for a map not made.
        if (!platform::removePath(im.outputName))
          std::printf(" Could not remove the empty file %s.\n", im.outputName.c_str());
      }
    }
  }
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
    im.outIndices = SpecialMaps::bump(im, settings.bump);
    im.outPalette = SpecialMaps::bumpPalette();
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
    im.outIndices.assign(im.indexPlane.size(), 0);
    const int passes = static_cast<int>(settings.stream);
    for (int r = 0; r < im.height; ++r) {
      const size_t at = static_cast<size_t>(r) * w;
      SpecialMaps::streamRow(std::span<const uint8_t>(im.indexPlane).subspan(at, w), r, im.height,
                             passes, std::span<uint8_t>(im.outIndices).subspan(at, w));
    }
    im.outPalette = SpecialMaps::greyRamp();
    std::printf("Streaming done. \n");
    return true;
  });
}

void SpecialModes::paletteSmoothing(cli::Batch& batch, const cli::Settings& settings) {
  std::printf("Palette smoothing selected.\n");
  for (Image& im : batch.records) {
    const files::LoadedImage loaded(im, true);
    if (!loaded.loaded()) {
      std::printf("Failed loading image file:  %s \n", im.inputName.c_str());
      continue;
    }
    if (im.sourcePaletteSize != 256) {
      std::printf(" Error: input file for palette smoothing must be an 8-bit file...\n");
      continue;
    }
    Palette smoothed;
    for (int i = 0; i < 256; ++i) {
      const uint8_t* e = im.sourcePalette.data() + i * 4;
      smoothed.set(i, e[0], e[1], e[2]);
    }
    smoothed.size = 256;
    SpecialMaps::smoothPalette(smoothed);

    std::printf("reading example picture: %s", settings.palette.c_str());
    Image example;
    example.inputName = settings.palette;
    if (!files::ImageFiles::load(example, true)) {
      std::printf("Failed loading image file:  %s \n", example.inputName.c_str());
      return;
    }
    Palette own;
    if (example.sourcePaletteSize == 256) {
      for (int i = 0; i < 256; ++i) {
        const uint8_t* e = example.sourcePalette.data() + i * 4;
        own.set(i, e[0], e[1], e[2]);
      }
      own.size = 256;
      quant::PaletteBuilder::sort(own, settings);
    } else {
      quant::Sampler sampler(settings);
      sampler.sample(example, settings.depths, settings.mipLimit);
      own = quant::Quantizer::quantize(sampler, 256, false, settings);
    }
    quant::Mapper::map(example, own, false, settings);
    example.outPalette = smoothed;
    example.outputName = OutputNames::make(im, settings, batch.batchMode, "pcx");
    if (!OutputNames::mayWrite(example.outputName, settings.overwrite)) continue;
    if (files::ImageFiles::writeIndexed(example, files::OutputFormat::kPcx, settings.debug)) {
      std::printf(" File written: %s .\n", example.outputName.c_str());
      im.written = true;
    }
  }
}

bool SpecialModes::writePalettePicture(const Palette& palette, const std::string& name,
                                       const cli::Settings& settings) {
  Image ramp;
  ramp.outputName = name;
  ramp.outWidth = SpecialMaps::kRampWidth;
  ramp.outHeight = SpecialMaps::kRampHeight;
  ramp.outIndices = SpecialMaps::paletteRamp();
  ramp.outPalette = palette;
  return files::ImageFiles::writeIndexed(ramp, settings.format, settings.debug);
}

}  // namespace palvex::modes
