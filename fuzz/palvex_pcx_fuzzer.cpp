// Fuzz entry point of the PCX reader of palvex (checks in palvex_reader_check.h).
#include "palvex/files/PcxCodec.h"
#include "palvex_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return checkImageReader(data, size,
                          [size](std::span<const uint8_t> b, palvex::SourcePicture& im) {
                            (void)size;
                            palvex::files::PcxCodec::decode(b, im);
                          });
}
