#pragma once

#include "palvex/Image.h"
#include "palvex/files/Layout.h"

namespace palvex::files {

// Reading and writing the image files of the image records: opens the files,
// hands their bytes to the codecs and prints the messages of failures.
class ImageFiles {
 public:
  // Loads `image.inputName` into the record, choosing the format by the
  // first bytes: "BM" is BMP, 0x0A with an encoding byte below 2 is PCX,
  // anything else TGA. Returns false after printing the failure; the record's
  // earlier pixels are released either way.
  static bool load(Image& image, bool allow8bit);

  // Writes the output indices and palette to `image.outputName`. A file
  // whose writing fails part way is removed, so that no cut-short file is
  // left behind. Returns false after printing the failure.
  static bool writeIndexed(Image& image, OutputFormat format, bool debug);
  // Writes the source-size pixels as a 24-bit BMP to `image.outputName`.
  static bool writeTrueColour(const Image& image);
};

}  // namespace palvex::files
