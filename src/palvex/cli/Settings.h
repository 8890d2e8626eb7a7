#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "palvex/files/Layout.h"

namespace palvex::cli {

// The run's settings, filled by the command-line parser with these defaults
// and read by every mode. Values are stored as given, out of range or not,
// except where a switch clamps its own.
struct Settings {
  // Plain arguments: input file or wildcard, output name or prefix.
  std::string input;
  std::string output;
  bool anyArguments = false;
  bool help = false;

  // Colour engine.
  bool rgb = false;
  std::array<int, 3> depths{8, 8, 8};
  std::array<int, 3> preDepths{6, 5, 5};
  int binLimit = 7000;
  bool best = false;
  bool fast = false;
  bool mips = false;
  int mipLimit = 12;
  bool sizeBias = false;
  int smooth = 0;
  int method = 1;
  int colours = 256;
  int dither = 0;
  // -refine: k-means refinement of the palette and nearest colours in plain
  // RGB; changes the output, so it is off unless asked for.
  bool refine = false;

  // Masks and scaling.
  bool masking = false;
  bool maskGiven = false;
  float tolerance = 0.5f;
  float fatMask = 0.4999f;
  bool pinkScreen = false;
  bool pinkMask = false;
  bool forcedColour = false;
  std::array<uint8_t, 3> forced{};  // R, G, B
  float scaleX = 1.0f;
  float scaleY = 1.0f;
  std::string refDir;
  bool black = false;

  // Files and modes.
  files::OutputFormat format = files::OutputFormat::kPcx;
  bool overwrite = false;
  bool allow8bit = false;
  bool debug = false;
  std::string palette;  // -palette FILE
  bool paletteGiven = false;
  bool common = false;
  int autoCommon = 0;
  bool autoGiven = false;
  float maxError = 0.0f;
  bool errorGiven = false;
  std::string writePal;
  bool outMask = false;
  float trans = 0.0f;
  bool palSmooth = false;
  bool synthesis = false;
  float bump = 0.0f;
  bool bumpGiven = false;
  float stream = 0.0f;
  bool streamGiven = false;
};

}  // namespace palvex::cli
