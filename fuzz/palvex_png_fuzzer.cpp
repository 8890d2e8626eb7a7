// Fuzz entry point of the PNG reader of palvex (checks in palvex_reader_check.h),
// with a round trip of accepted paletted files through the PNG writer.
// Chunk checksums are ignored, or nearly every mutation would stop there.
#include <cstdlib>

#include "palvex/files/PngCodec.h"
#include "palvex_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  checkImageReader(data, size, [](std::span<const uint8_t> b, palvex::SourcePicture& im) {
    palvex::files::PngCodec::decode(b, im, palvex::files::PngCodec::Checksums::kIgnore);
  });
  palvex::SourcePicture im;
  im.keepIndexPlane = true;
  try {
    palvex::files::PngCodec::decode(std::span<const uint8_t>(data, size), im,
                                    palvex::files::PngCodec::Checksums::kIgnore);
  } catch (const palvex::files::DecodeError&) {
    return 0;
  }
  if (im.indexPlane.empty() || im.indexPlane.size() > (1u << 16)) return 0;
  palvex::Palette pal;
  pal.size = 256;
  palvex::files::MemorySink sink;
  palvex::files::OutputBuffer out(sink);
  if (!palvex::files::PngCodec::encode(im.width, im.height, im.indexPlane, pal, out)) std::abort();
  palvex::SourcePicture back;
  back.keepIndexPlane = true;
  palvex::files::PngCodec::decode(sink.bytes, back);
  if (back.indexPlane != im.indexPlane) std::abort();
  return 0;
}
