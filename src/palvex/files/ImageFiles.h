#pragma once

#include <string>

#include "palvex/Image.h"
#include "palvex/IndexedImage.h"
#include "palvex/SourcePicture.h"
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

  // Writes `result` to the file `name`. A file whose writing fails part way
  // is removed, so that no cut-short file is left behind. Returns false
  // after printing the failure, and false without a message when `result`
  // is not complete.
  static bool writeIndexed(const IndexedImage& result, const std::string& name, OutputFormat format,
                           bool debug);
  // Writes the picture's pixels as a 24-bit BMP to the file `name`.
  static bool writeTrueColour(const SourcePicture& picture, const std::string& name);
};

// The loaded pixels of an image record for as long as the guard lives: the
// constructor loads the file (ImageFiles::load), the destructor releases the
// pixels and everything made from them, on every way out of the scope.
class LoadedImage {
 public:
  LoadedImage(Image& image, bool allow8bit)
      : image_(image), loaded_(ImageFiles::load(image, allow8bit)) {}
  ~LoadedImage() { image_.releasePixels(); }
  LoadedImage(const LoadedImage&) = delete;
  LoadedImage& operator=(const LoadedImage&) = delete;

  bool loaded() const { return loaded_; }

 private:
  Image& image_;
  bool loaded_;
};

}  // namespace palvex::files
