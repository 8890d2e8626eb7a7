#pragma once

#include <cstdint>
#include <span>

#include "palvex/SourcePicture.h"
#include "palvex/files/OutputBuffer.h"

namespace palvex::files {

// 8-bit, single-plane, run-length PCX files.
class PcxCodec {
 public:
  // Fills the picture's size, pixels, source palette (size 256) and, when
  // asked, its index plane. Throws DecodeError with the message to print;
  // the picture is then left as it was.
  static void decode(std::span<const uint8_t> data, SourcePicture& picture);

  // Writes `indices` (width × height, top row first) with `palette`.
  // Returns false when the buffer's sink failed.
  static bool encode(int32_t width, int32_t height, std::span<const uint8_t> indices,
                     const Palette& palette, OutputBuffer& out);
};

}  // namespace palvex::files
