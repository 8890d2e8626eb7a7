#pragma once

#include <cstdint>
#include <span>

#include "palvex/SourcePicture.h"
#include "palvex/files/OutputBuffer.h"

namespace palvex::files {

// Uncompressed bottom-up BMP files: 24-bit, and 8-bit when allowed.
class BmpCodec {
 public:
  // Fills the picture as PcxCodec::decode does. 8-bit files are read only
  // with `allow8bit`. Throws DecodeError with the message to print.
  static void decode(std::span<const uint8_t> data, bool allow8bit, SourcePicture& picture);

  // An 8-bit file of `indices` with the 256 entries of `palette`.
  static bool encodeIndexed(int32_t width, int32_t height, std::span<const uint8_t> indices,
                            const Palette& palette, OutputBuffer& out);
  // A 24-bit file of `pixels` (R, G, B, top row first).
  static bool encodeTrueColour(int32_t width, int32_t height, std::span<const uint8_t> pixels,
                               OutputBuffer& out);
};

}  // namespace palvex::files
