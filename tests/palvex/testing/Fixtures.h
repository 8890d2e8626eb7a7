#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "palvex/Image.h"
#include "palvex/cli/Settings.h"

// Builders of small images and image files shared by the palvex tests.
namespace palvex::testing {

using Bytes = std::vector<uint8_t>;

inline void le16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void le32(Bytes& b, size_t at, uint32_t v) {
  le16(b, at, v & 0xFFFF);
  le16(b, at + 2, v >> 16);
}

// A loaded-looking image of the given RGB triples, row-major.
inline Image imageOf(int32_t w, int32_t h, const std::vector<uint8_t>& rgb) {
  Image im;
  im.width = w;
  im.height = h;
  im.pixels = rgb;
  return im;
}

// An image of w × h pixels of one colour.
inline Image flat(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> px;
  for (int32_t i = 0; i < w * h; ++i) px.insert(px.end(), {r, g, b});
  return imageOf(w, h, px);
}

// An uncompressed TGA header for the given type and depth.
inline Bytes tgaHeader(uint8_t type, uint16_t w, uint16_t h, uint8_t depth, uint16_t mapLength = 0,
                       uint8_t mapBits = 0) {
  Bytes b(18, 0);
  b[1] = mapLength > 0 ? 1 : 0;
  b[2] = type;
  le16(b, 5, mapLength);
  b[7] = mapBits;
  le16(b, 12, w);
  le16(b, 14, h);
  b[16] = depth;
  return b;
}

// A PCX header of w × h with the body and a 768-byte palette whose entry i
// is (i, 255 - i, i / 2), after the marker byte 0x0C when `marker`.
inline Bytes pcxFile(uint16_t w, uint16_t h, const Bytes& body, bool marker = true) {
  Bytes b(128 + body.size() + (marker ? 1 : 0) + 768, 0);
  b[0] = 0x0A;
  b[1] = 5;
  b[2] = 1;
  b[3] = 8;
  le16(b, 8, w - 1u);
  le16(b, 10, h - 1u);
  b[65] = 1;
  le16(b, 66, w);
  for (size_t i = 0; i < body.size(); ++i) b[128 + i] = body[i];
  size_t at = 128 + body.size();
  if (marker) b[at++] = 0x0C;
  for (int i = 0; i < 256; ++i) {
    b[at++] = static_cast<uint8_t>(i);
    b[at++] = static_cast<uint8_t>(255 - i);
    b[at++] = static_cast<uint8_t>(i / 2);
  }
  return b;
}

// A 24-bit bottom-up BMP of the given top-first RGB pixels.
inline Bytes bmp24(int32_t w, int32_t h, const std::vector<uint8_t>& rgb) {
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  Bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  le32(b, 2, static_cast<uint32_t>(54 + stride * static_cast<size_t>(h)));
  le32(b, 10, 54);
  le32(b, 14, 40);
  le32(b, 18, static_cast<uint32_t>(w));
  le32(b, 22, static_cast<uint32_t>(h));
  le16(b, 26, 1);
  le16(b, 28, 24);
  for (int32_t y = h - 1; y >= 0; --y) {
    Bytes row(stride, 0);
    for (int32_t x = 0; x < w; ++x)
      for (int k = 0; k < 3; ++k)
        row[static_cast<size_t>(x) * 3 + static_cast<size_t>(k)] =
            rgb[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 3 + 2 -
                static_cast<size_t>(k)];
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

}  // namespace palvex::testing
