#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "palvex/IndexedImage.h"
#include "palvex/Palette.h"
#include "palvex/SourcePicture.h"

namespace palvex {

// One queued input file: its names, the loaded source picture (the base),
// its mask, and the indexed result to write.
// The stages take the parts they read and return the parts they make; the
// record holds them between the steps of a mode.
struct Image : SourcePicture {
  std::string inputName;
  std::string outputName;
  // The name as listed in its directory, without a directory part.
  std::string spareName;

  int targetColours = 256;
  bool blackFlag = false;
  // Set once the file's output has been written.
  bool written = false;

  // Masks: the key colour, whether it is known, whether the sampling grid
  // has run since the last load, and the plane (0 keep, 255 key colour,
  // 254 within the tolerance).
  std::array<uint8_t, 3> maskColour{};
  bool maskFound = false;
  bool detectionDone = false;
  std::vector<uint8_t> maskPlane;

  // Output size dictated by a reference file, 0 when none.
  int32_t refWidth = 0;
  int32_t refHeight = 0;

  // The indexed result.
  IndexedImage output;

  // Forgets everything a load, masking or mapping produced; names,
  // targets, reference size and the output's palette stay.
  void releasePixels() {
    width = height = 0;
    pixels = {};
    indexPlane = {};
    sourcePaletteSize = 0;
    maskFound = false;
    detectionDone = false;
    maskPlane = {};
    output.width = output.height = 0;
    output.indices = {};
  }
};

}  // namespace palvex
