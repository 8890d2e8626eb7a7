#include "palvex/files/Layout.h"

namespace palvex::files {

void checkImageSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0)
    throw DecodeError(" Input file has no pixels (" + std::to_string(width) + " x " +
                      std::to_string(height) + "). ");
  if (width * height > kMaxPixels)
    throw DecodeError(" Input image of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels is too large (at most " + std::to_string(kMaxPixels) + " pixels). ");
}

}  // namespace palvex::files
