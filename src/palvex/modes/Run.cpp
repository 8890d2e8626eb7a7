#include "palvex/modes/Run.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <random>

#include "base/InfoRequest.h"
#include "help/palvex.h"
#include "palvex/cli/BatchList.h"
#include "palvex/cli/CommandLine.h"
#include "palvex/masks/RefSizes.h"
#include "palvex/modes/AutoCombining.h"
#include "palvex/modes/PerImageMode.h"
#include "palvex/modes/SharedPaletteModes.h"
#include "palvex/modes/SpecialModes.h"
#include "palvex/special/CopierSelfTest.h"

namespace palvex::modes {
namespace {

// A run that wrote every file it queued ends with kWritten, any other with
// kNotWritten.
constexpr int kWritten = 0;
constexpr int kNotWritten = 1;

void selfTest() {
  std::mt19937 generator(static_cast<uint32_t>(std::time(nullptr)));
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  special::CopierSelfTest::run([&] { return uniform(generator); },
                               [] { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; });
}

// Runs the first mode that applies. Returns whether it was one of the modes
// after which missing reference sizes are reported.
bool dispatch(cli::Batch& batch, const cli::Settings& s) {
  if (s.palSmooth) {
    SpecialModes::paletteSmoothing(batch, s);
    return false;
  }
  if (s.synthesis) selfTest();
  if (s.bumpGiven) {
    SpecialModes::bumpMaps(batch, s);
    return false;
  }
  if (s.streamGiven) {
    SpecialModes::streamMaps(batch, s);
    return false;
  }
  std::optional<Palette> last;
  if (s.paletteGiven) {
    last = SharedPaletteModes::master(batch, s);
  } else if ((s.common || (s.autoGiven && s.autoCommon < 2)) && !batch.records.empty()) {
    last = SharedPaletteModes::common(batch, s);
  } else if (s.trans > 0) {
    SpecialModes::thresholdPictures(batch, s);
    return true;
  } else if (s.outMask) {
    SpecialModes::maskPictures(batch, s);
    return true;
  } else if ((s.autoGiven && s.autoCommon >= 2) || s.errorGiven) {
    AutoCombining::run(batch, s);
    return true;
  } else {
    last = PerImageMode::run(batch, s);
  }
  if (!s.writePal.empty() && last) SpecialModes::writePalettePicture(*last, s.writePal, s);
  return true;
}

}  // namespace

int Run::run(const std::vector<std::string>& args) {
  const base::InfoRequest info = cli::CommandLine::infoRequest(args);
  if (info != base::InfoRequest::kNone)
    return base::answerInfoRequest(info, "palvex", help::kPalvex);
  cli::CommandLine::printBanner();
  const cli::Settings settings = cli::CommandLine::parse(args);
  if (settings.help) {
    cli::CommandLine::printUsage();
    return kNotWritten;
  }
  if (!settings.anyArguments) std::printf(" Run PALVEX /? for a list of command line options.\n");
  if (settings.input.empty()) {
    std::printf(" Error: no input filename specified. \n");
    return kNotWritten;
  }
  if (settings.output.find_first_of("*?") != std::string::npos) {
    std::printf(" Error: illegal output filename. ");
    return kNotWritten;
  }
  cli::Batch batch;
  if (!cli::BatchList::collect(settings, batch)) return kNotWritten;
  for (Image& im : batch.records) {
    im.targetColours = settings.colours;
    im.blackFlag = settings.black;
  }
  const bool references = !settings.refDir.empty();
  if (references) masks::RefSizes::read(batch.records, settings);
  if (dispatch(batch, settings) && references) masks::RefSizes::reportMissing(batch.records);
  std::fflush(stdout);
  const bool all = std::all_of(batch.records.begin(), batch.records.end(),
                               [](const Image& im) { return im.written; });
  return all ? kWritten : kNotWritten;
}

}  // namespace palvex::modes
