#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace util {

// One palettised image and its conversion to and from the GIF format.
//
// The writer produces a single-image GIF89a file with a 256-entry global
// colour table and no extension blocks. The reader accepts a small subset:
// the first image of the file, placed at the screen origin, not interlaced and
// coloured by the global table; it exists to load graph backgrounds.
//
// Both directions work on whole byte buffers; reading and writing files is the
// caller's business. No operation throws: each answers true or false and
// prints its complaints as lines on standard output.
//
// The fields are public and are set and read directly by the users: fill
// `width`, `height`, `columns`, `rows`, `pixels` and `colormap` (768 bytes)
// before encode(); take `pixels` and `colormap` after a successful decode().
class Gif {
 public:
  using Rows = std::vector<std::vector<uint8_t>>;

  // LZW coder constants.
  static constexpr int32_t MaxStackSize = 4096;            // decoder table size
  static constexpr int32_t NullCode = -1;                  // no previous code
  static constexpr int32_t MaxHashTable = 5003;            // encoder hash table size, a prime
  static constexpr int32_t MaxGIFBits = 12;                // widest code
  static constexpr int32_t MaxGIFTable = 1 << MaxGIFBits;  // number of codes

  // The reader refuses images of more pixels than this before allocating
  // anything for them (64 Mi pixels; the pixels are held twice while read).
  static constexpr int64_t kMaxPixels = int64_t{1} << 26;

  int32_t width = 0;  // logical screen size
  int32_t height = 0;
  int32_t columns = 0;  // image size
  int32_t rows = 0;
  int32_t xbase = 0;  // image position on the screen
  int32_t ybase = 0;
  // Palette index of every pixel: `rows` rows of `columns` bytes, row 0 on top.
  Rows pixels;
  // The same pixels flattened row by row. The writer's work buffer (encode()
  // enlarges it when it is shorter than columns x rows); the reader fills it.
  std::vector<uint8_t> pix;
  // Colour table as consecutive red, green, blue bytes.
  std::vector<uint8_t> colormap;
  uint8_t flag = 0;  // packed byte of the screen, then of the image descriptor
  uint8_t background = 0;
  int32_t global_colors = 256;
  int32_t dispose = 0;  // from a graphic control extension
  int32_t delay = 0;
  int32_t transparency_index = -1;

  // Appends the whole GIF file for the current fields to `out`. On failure
  // prints its lines, leaves `out` as it was and answers false. Needs
  // `colormap` of exactly 768 bytes, `pixels` of at least `rows` rows of at
  // least `columns` bytes, and sizes and position within 0 to 65535.
  bool encode(std::vector<uint8_t>& out);
  // Appends the LZW-compressed data of the first columns x rows bytes of
  // `pix` (code size byte, data sub-blocks, block terminator) to `out`; on
  // failure prints its line, leaves `out` as it was and answers false.
  bool encodePixels(std::vector<uint8_t>& out);

  // Reads a GIF file held whole in `in` and fills the fields. After a failure
  // the fields hold whatever was parsed before it: do not use `pixels` or
  // `colormap` then. `colormap` stays empty when the file has no global table.
  bool decode(std::span<const uint8_t> in);
  // Decompresses the image data starting at offset `loc` of the file bytes
  // `buf` into a new `pix` of columns x rows bytes.
  bool decodePixels(std::span<const uint8_t> buf, size_t loc);
  // Copies the n data bytes of the sub-block whose length byte is
  // buf[offset] into the start of `block` and returns n (0 to 255); the
  // caller advances its offset by n + 1. Throws base::FormatError when the
  // sub-block runs past the end of `buf`.
  static int32_t readBlock(size_t offset, std::span<const uint8_t> buf,
                           std::array<uint8_t, 256>& block);
};

}  // namespace util
