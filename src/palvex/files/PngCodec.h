#pragma once

#include <cstdint>
#include <span>

#include "palvex/SourcePicture.h"
#include "palvex/files/OutputBuffer.h"

namespace palvex::files {

// PNG files: read in every colour type at 8 or 16 bits (and paletted or
// grey at fewer), written as 8-bit paletted files.
class PngCodec {
 public:
  // Whether `data` starts with the PNG signature.
  static bool recognises(std::span<const uint8_t> data);

  // Whether chunk checksums are checked. Only the fuzz harness ignores
  // them, so that its mutations reach the decoder; the program checks.
  enum class Checksums { kCheck, kIgnore };

  // Fills the picture as PcxCodec::decode does: RGB pixels (16-bit samples
  // v become v ÷ 257 rounded down, alpha dropped, grey spread to three channels); a
  // paletted file also gives its palette (size 256) and, when asked, its
  // index plane. Interlaced files are refused. Throws DecodeError with the
  // message to print; the picture is then left as it was.
  static void decode(std::span<const uint8_t> data, SourcePicture& picture,
                     Checksums checksums = Checksums::kCheck);

  // An 8-bit paletted file of `indices` whose palette holds the entries up
  // to the palette's size and the highest index written.
  static bool encode(int32_t width, int32_t height, std::span<const uint8_t> indices,
                     const Palette& palette, OutputBuffer& out);
};

}  // namespace palvex::files
