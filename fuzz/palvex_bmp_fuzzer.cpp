// Fuzz entry point of the BMP reader of palvex (checks in palvex_reader_check.h).
#include "palvex/files/BmpCodec.h"
#include "palvex_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return checkImageReader(data, size,
                          [size](std::span<const uint8_t> b, palvex::SourcePicture& im) {
                            (void)size;
                            palvex::files::BmpCodec::decode(b, (size % 2) == 0, im);
                          });
}
