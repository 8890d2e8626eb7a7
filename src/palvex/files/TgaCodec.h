#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "palvex/SourcePicture.h"
#include "palvex/files/OutputBuffer.h"

namespace palvex::files {

// Targa files of types 1, 2, 9 and 10.
class TgaCodec {
 public:
  // Fills the picture as PcxCodec::decode does (the source palette is not
  // filled and its size stays as it was). Rows are always taken as stored
  // bottom-up. Throws DecodeError with the message to print.
  static void decode(std::span<const uint8_t> data, SourcePicture& picture);

  // An uncompressed colour-mapped file. The rows of `indices` are turned
  // upside down in place before writing, so they are left reversed.
  static bool encodeIndexed(int32_t width, int32_t height, std::vector<uint8_t>& indices,
                            const Palette& palette, OutputBuffer& out);
};

}  // namespace palvex::files
