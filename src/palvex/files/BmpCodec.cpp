#include "palvex/files/BmpCodec.h"

#include <vector>

#include "palvex/files/Layout.h"

namespace palvex::files {
namespace {

constexpr uint32_t kIndexedDataOffset = 1078;
constexpr uint32_t kTrueColourDataOffset = 54;

// Row length in the file: padded to a multiple of 4.
size_t paddedRow(size_t bytes) { return (bytes + 3) & ~size_t{3}; }

void putHeaders(std::vector<uint8_t>& h, int32_t width, int32_t height, uint32_t bitCount,
                uint32_t dataOffset, uint32_t imageSize, uint32_t fileSize) {
  h.push_back('B');
  h.push_back('M');
  put32(h, fileSize);
  put32(h, 0);
  put32(h, dataOffset);
  put32(h, kBmpInfoHeaderSize);
  put32(h, static_cast<uint32_t>(width));
  put32(h, static_cast<uint32_t>(height));
  put16(h, 1);
  put16(h, bitCount);
  put32(h, 0);
  put32(h, imageSize);
  put32(h, 100);
  put32(h, 100);
  put32(h, 0);
  put32(h, 0);
}

}  // namespace

void BmpCodec::decode(std::span<const uint8_t> data, bool allow8bit, SourcePicture& image) {
  if (data.size() < kBmpFileHeaderSize) throw DecodeError(" Couldn't read from input file. ");
  if (data.size() < kBmpFileHeaderSize + kBmpInfoHeaderSize)
    throw DecodeError(" Couldn't read 2nd header from input file. ");
  const uint32_t dataOffset = le32(data, 10);
  const uint32_t infoSize = le32(data, 14);
  const auto width = static_cast<int32_t>(le32(data, 18));
  const auto height = static_cast<int32_t>(le32(data, 22));
  const uint16_t bitCount = le16(data, 28);
  const uint32_t compression = le32(data, 30);
  const uint32_t coloursUsed = le32(data, 46);

  if (!(bitCount == 24 || (bitCount == 8 && allow8bit)))
    throw DecodeError(" Input file is not a 24/32 bit truecolor BMP. Use -8 to override. ");
  if (infoSize < kBmpInfoHeaderSize) throw DecodeError(" Unsupported BMP header. ");
  if (compression != 0) throw DecodeError(" Compressed BMP files are not supported. ");
  if (height < 0) throw DecodeError(" Top-down BMP files are not supported. ");
  checkImageSize(width, height);

  // The palette follows the information header; a colour count of 0 means
  // all 256 entries.
  const size_t paletteAt = kBmpFileHeaderSize + size_t{infoSize};
  size_t paletteEntries = 0;
  if (bitCount == 8) {
    if (coloursUsed > 256) throw DecodeError(" BMP palette of more than 256 colours. ");
    paletteEntries = coloursUsed == 0 ? 256 : coloursUsed;
  }
  if (size_t{dataOffset} < paletteAt + paletteEntries * 4)
    throw DecodeError(" BMP data offset points into its headers. ");

  const auto w = static_cast<size_t>(width);
  const auto h = static_cast<size_t>(height);
  const size_t rowBytes = bitCount == 8 ? w : w * 3;
  const size_t stride = paddedRow(rowBytes);
  // The padding of the last row may be missing.
  if (dataOffset > data.size() || (data.size() - dataOffset) < stride * (h - 1) + rowBytes)
    throw DecodeError(" Input file ends before its image data. ");

  std::array<uint8_t, 1024> palette{};
  for (size_t i = 0; i < paletteEntries; ++i) {
    palette[i * 4] = data[paletteAt + i * 4 + 2];
    palette[i * 4 + 1] = data[paletteAt + i * 4 + 1];
    palette[i * 4 + 2] = data[paletteAt + i * 4];
  }
  std::vector<uint8_t> pixels(w * h * 3);
  std::vector<uint8_t> indices;
  if (bitCount == 8 && image.keepIndexPlane) indices.resize(w * h);
  for (size_t r = 0; r < h; ++r) {
    const uint8_t* src = data.data() + dataOffset + r * stride;
    const size_t row = h - 1 - r;
    uint8_t* dst = pixels.data() + row * w * 3;
    for (size_t x = 0; x < w; ++x) {
      if (bitCount == 8) {
        const size_t e = size_t{src[x]} * 4;
        dst[x * 3] = palette[e];
        dst[x * 3 + 1] = palette[e + 1];
        dst[x * 3 + 2] = palette[e + 2];
        if (!indices.empty()) indices[row * w + x] = src[x];
      } else {
        dst[x * 3] = src[x * 3 + 2];
        dst[x * 3 + 1] = src[x * 3 + 1];
        dst[x * 3 + 2] = src[x * 3];
      }
    }
  }
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  image.indexPlane = std::move(indices);
  if (bitCount == 8) {
    image.sourcePalette = palette;
    image.sourcePaletteSize = 256;
  }
}

bool BmpCodec::encodeIndexed(int32_t width, int32_t height, std::span<const uint8_t> indices,
                             const Palette& palette, OutputBuffer& out) {
  const auto w = static_cast<size_t>(width);
  const size_t stride = paddedRow(w);
  const auto imageSize = static_cast<uint32_t>(w * static_cast<size_t>(height));
  const auto fileSize =
      static_cast<uint32_t>(kIndexedDataOffset + stride * static_cast<size_t>(height));
  std::vector<uint8_t> head;
  putHeaders(head, width, height, 8, kIndexedDataOffset, imageSize, fileSize);
  for (const auto& e : palette.entries) {
    head.push_back(e[2]);
    head.push_back(e[1]);
    head.push_back(e[0]);
    head.push_back(0);
  }
  out.put(head);
  std::vector<uint8_t> row(stride, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    const auto* p = indices.data() + static_cast<size_t>(y) * w;
    std::copy(p, p + w, row.begin());
    out.put(row);
  }
  return out.flush();
}

bool BmpCodec::encodeTrueColour(int32_t width, int32_t height, std::span<const uint8_t> pixels,
                                OutputBuffer& out) {
  const auto w = static_cast<size_t>(width);
  const size_t stride = paddedRow(w * 3);
  const auto imageSize = static_cast<uint32_t>(w * 3 * static_cast<size_t>(height));
  const auto fileSize =
      static_cast<uint32_t>(kTrueColourDataOffset + stride * static_cast<size_t>(height));
  std::vector<uint8_t> head;
  putHeaders(head, width, height, 24, kTrueColourDataOffset, imageSize, fileSize);
  out.put(head);
  std::vector<uint8_t> row(stride, 0);
  for (int32_t y = height - 1; y >= 0; --y) {
    const auto* p = pixels.data() + static_cast<size_t>(y) * w * 3;
    for (size_t x = 0; x < w; ++x) {
      row[x * 3] = p[x * 3 + 2];
      row[x * 3 + 1] = p[x * 3 + 1];
      row[x * 3 + 2] = p[x * 3];
    }
    out.put(row);
  }
  return out.flush();
}

}  // namespace palvex::files
