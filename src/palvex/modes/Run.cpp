#include "palvex/modes/Run.h"

#include <cstdio>

#include "palvex/cli/BatchList.h"
#include "palvex/cli/CommandLine.h"
#include "palvex/masks/RefSizes.h"
#include "palvex/modes/PerImageMode.h"
#include "palvex/modes/SharedPaletteModes.h"

namespace palvex::modes {
namespace {

constexpr int kExitStatus = 1;

void notInThisVersion(const char* what) {
  std::printf(" %s is not available in this version of PALVEX. \n", what);
}

// Runs the first mode that applies. Returns whether it was one of the modes
// after which missing reference sizes are reported.
bool dispatch(cli::Batch& batch, const cli::Settings& s) {
  if (s.palSmooth) {
    notInThisVersion("Palette smoothing (-palsmooth)");
    return false;
  }
  if (s.synthesis) notInThisVersion("The bit copier self-test (-synthesis)");
  if (s.bumpGiven) {
    notInThisVersion("Bump map output (-bump)");
    return false;
  }
  if (s.streamGiven) {
    notInThisVersion("Stream map output (-stream)");
    return false;
  }
  if (s.paletteGiven) {
    SharedPaletteModes::master(batch, s);
  } else if ((s.common || (s.autoGiven && s.autoCommon < 2)) && !batch.records.empty()) {
    SharedPaletteModes::common(batch, s);
  } else if (s.trans > 0) {
    notInThisVersion("Threshold picture output (-trans)");
  } else if (s.outMask) {
    notInThisVersion("Mask picture output (-outmask)");
  } else if ((s.autoGiven && s.autoCommon >= 2) || s.errorGiven) {
    notInThisVersion("Automatic palette combining (-auto, -error)");
  } else {
    PerImageMode::run(batch, s);
  }
  if (!s.writePal.empty()) notInThisVersion("The palette picture (-writepal)");
  return true;
}

}  // namespace

int Run::run(const std::vector<std::string>& args) {
  cli::CommandLine::printBanner();
  const cli::Settings settings = cli::CommandLine::parse(args);
  if (settings.help) {
    cli::CommandLine::printUsage();
    return kExitStatus;
  }
  if (!settings.anyArguments) std::printf(" Run PALVEX /? for a list of command line options.\n");
  if (settings.input.empty()) {
    std::printf(" Error: no input filename specified. \n");
    return kExitStatus;
  }
  if (settings.output.find_first_of("*?") != std::string::npos) {
    std::printf(" Error: illegal output filename. ");
    return kExitStatus;
  }
  cli::Batch batch;
  if (!cli::BatchList::collect(settings, batch)) return kExitStatus;
  for (Image& im : batch.records) {
    im.targetColours = settings.colours;
    im.blackFlag = settings.black;
  }
  const bool references = !settings.refDir.empty();
  if (references) masks::RefSizes::read(batch.records, settings);
  if (dispatch(batch, settings) && references) masks::RefSizes::reportMissing(batch.records);
  std::fflush(stdout);
  return kExitStatus;
}

}  // namespace palvex::modes
