#include "palvex/modes/FilePass.h"

#include <cstdio>

#include "palvex/files/ImageFiles.h"
#include "palvex/modes/OutputNames.h"
#include "platform/FileSystem.h"

namespace palvex::modes {

FilePass::Steps FilePass::indexed(const cli::Batch& batch, const cli::Settings& settings) {
  Steps steps;
  steps.allow8bit = settings.allow8bit;
  steps.overwrite = settings.overwrite;
  steps.name = [&batch, &settings](const Image& im) {
    return OutputNames::make(im, settings, batch.batchMode, files::extensionOf(settings.format));
  };
  steps.write = [&settings](const Image& im) {
    return files::ImageFiles::writeIndexed(im.output, im.outputName, settings.format,
                                           settings.debug);
  };
  return steps;
}

FilePass::Steps FilePass::eachImage(const cli::Batch& batch, const cli::Settings& settings) {
  Steps steps = indexed(batch, settings);
  steps.announce = [](const Image& im) {
    std::printf("Processing file:  %s\n", im.inputName.c_str());
    std::printf(" Target colors: %i \n", im.targetColours);
  };
  steps.loadFailed = "i) Failed loading image file:  ";
  steps.stopOnFailedLoad = true;
  steps.check = reportInputSize;
  return steps;
}

bool FilePass::run(std::span<Image* const> files, const Steps& steps) {
  for (Image* file : files) {
    Image& im = *file;
    if (steps.announce) steps.announce(im);
    im.keepIndexPlane = steps.keepIndexPlane;
    const files::LoadedImage loaded(im, steps.allow8bit);
    if (!loaded.loaded()) {
      std::printf("%s%s \n", steps.loadFailed, im.inputName.c_str());
      if (steps.stopOnFailedLoad) return false;
      continue;
    }
    if (steps.check) {
      const Next next = steps.check(im);
      if (next == Next::kStop) return false;
      if (next == Next::kSkip) continue;
    }
    im.outputName = steps.name(im);
    if (!OutputNames::mayWrite(im.outputName, steps.overwrite)) continue;
    if (steps.map && !steps.map(im)) {
      // The test file is empty; leave nothing behind for an output not made.
      if (!platform::removePath(im.outputName))
        std::printf(" Could not remove the empty file %s.\n", im.outputName.c_str());
      continue;
    }
    im.written = steps.write(im);
    if (im.written && steps.written) steps.written(im);
  }
  return true;
}

bool FilePass::run(cli::Batch& batch, const Steps& steps) {
  std::vector<Image*> files;
  files.reserve(batch.records.size());
  for (Image& im : batch.records) files.push_back(&im);
  return run(files, steps);
}

FilePass::Next FilePass::reportInputSize(Image& image) {
  std::printf("Image input size: %d x %d  \n", image.height, image.width);
  return Next::kGoOn;
}

void FilePass::reportWritten(const Image& image) {
  std::printf(" File written: %s .\n", image.outputName.c_str());
}

}  // namespace palvex::modes
