#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "palvex/Palette.h"

namespace palvex {

// One queued input file: its names, the loaded source, what masking and
// scaling made of it, and the indexed result to write.
struct Image {
  std::string inputName;
  std::string outputName;
  // The name as listed in its directory, without a directory part.
  std::string spareName;

  // The source: height × width pixels of R, G, B, top row first.
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
  // Set by the caller when the indices of a paletted source are wanted.
  bool keepIndexPlane = false;
  std::vector<uint8_t> indexPlane;
  // R, G, B, unused; the size is 256 after an 8-bit PCX or BMP, else 0.
  std::array<uint8_t, 1024> sourcePalette{};
  int sourcePaletteSize = 0;

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

  // The image scaled to the current level: 4 bytes per pixel (R, G, B,
  // level mask value) and one level-mask byte per pixel when a mask plane
  // exists (0 keep, 255 masked).
  int32_t levelWidth = 0;
  int32_t levelHeight = 0;
  std::vector<uint8_t> level;
  std::vector<uint8_t> levelMask;

  // The indexed result.
  int32_t outWidth = 0;
  int32_t outHeight = 0;
  std::vector<uint8_t> outIndices;
  Palette outPalette;

  // Forgets everything a load, masking, scaling or mapping produced; names,
  // targets, reference size and output palette stay.
  void releasePixels() {
    width = height = 0;
    pixels = {};
    indexPlane = {};
    sourcePaletteSize = 0;
    maskFound = false;
    detectionDone = false;
    maskPlane = {};
    levelWidth = levelHeight = 0;
    level = {};
    levelMask = {};
    outWidth = outHeight = 0;
    outIndices = {};
  }
};

}  // namespace palvex
