#include "palvex/files/PcxCodec.h"

#include <algorithm>
#include <vector>

#include "palvex/files/Layout.h"

namespace palvex::files {

void PcxCodec::decode(std::span<const uint8_t> data, SourcePicture& image) {
  if (data.size() < kPcxHeaderSize) throw DecodeError(" Couldn't read from input file. ");
  if (data[3] != 8 || data[65] != 1)
    throw DecodeError("PCX: Bad header (" + std::to_string(data[3]) + "/" +
                      std::to_string(data[65]) + ")");
  const int64_t width = int64_t{le16(data, 8)} - le16(data, 4) + 1;
  const int64_t height = int64_t{le16(data, 10)} - le16(data, 6) + 1;
  checkImageSize(width, height);
  if (data.size() < kPcxHeaderSize + kPcxPaletteSize)
    throw DecodeError(" PCX file too short for its palette. ");
  // Rows are `stride` bytes of the decoded stream; a bytes-per-line wider
  // than the image pads each row, and the padding is dropped.
  const int64_t stride = std::max<int64_t>(width, le16(data, 66));
  const auto body = data.subspan(kPcxHeaderSize, data.size() - kPcxHeaderSize - kPcxPaletteSize);
  // Two bytes of body give at most 63 indices.
  const int64_t needed = stride * height;
  if (needed > static_cast<int64_t>(body.size()) * 32)
    throw DecodeError(" Input file announces " + std::to_string(width) + " x " +
                      std::to_string(height) + " pixels, more than it holds. ");

  const auto w = static_cast<size_t>(width);
  const auto h = static_cast<size_t>(height);
  std::vector<uint8_t> indices(w * h);
  size_t pos = 0;
  int64_t produced = 0;
  auto emit = [&](uint8_t v, int64_t count) {
    for (; count > 0 && produced < needed; --count, ++produced) {
      const int64_t col = produced % stride;
      if (col < width)
        indices[static_cast<size_t>(produced / stride) * w + static_cast<size_t>(col)] = v;
    }
  };
  while (produced < needed) {
    if (pos >= body.size()) throw DecodeError(" Input file ends before its image data. ");
    const uint8_t b = body[pos++];
    if (b < 192) {
      emit(b, 1);
      continue;
    }
    if (pos >= body.size()) throw DecodeError(" Input file ends before its image data. ");
    emit(body[pos++], b & 0x3F);
  }

  const auto pal = data.subspan(data.size() - kPcxPaletteSize);
  std::array<uint8_t, 1024> palette{};
  for (size_t i = 0; i < 256; ++i) {
    palette[i * 4] = pal[i * 3];
    palette[i * 4 + 1] = pal[i * 3 + 1];
    palette[i * 4 + 2] = pal[i * 3 + 2];
  }
  std::vector<uint8_t> pixels(w * h * 3);
  for (size_t i = 0; i < w * h; ++i) {
    const size_t e = size_t{indices[i]} * 4;
    pixels[i * 3] = palette[e];
    pixels[i * 3 + 1] = palette[e + 1];
    pixels[i * 3 + 2] = palette[e + 2];
  }
  image.width = static_cast<int32_t>(width);
  image.height = static_cast<int32_t>(height);
  image.pixels = std::move(pixels);
  image.sourcePalette = palette;
  image.sourcePaletteSize = 256;
  image.indexPlane = image.keepIndexPlane ? std::move(indices) : std::vector<uint8_t>{};
}

bool PcxCodec::encode(int32_t width, int32_t height, std::span<const uint8_t> indices,
                      const Palette& palette, OutputBuffer& out) {
  std::vector<uint8_t> header(kPcxHeaderSize, 0);
  header[0] = kPcxMagic;
  header[1] = 5;
  header[2] = 1;
  header[3] = 8;
  auto at16 = [&](size_t at, uint32_t v) {
    header[at] = static_cast<uint8_t>(v);
    header[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  at16(8, static_cast<uint32_t>(width - 1));
  at16(10, static_cast<uint32_t>(height - 1));
  at16(12, static_cast<uint32_t>(width));
  at16(14, static_cast<uint32_t>(height));
  header[65] = 1;
  at16(66, static_cast<uint32_t>(width));
  out.put(header);

  // Indices above 191 would read as run counts, so they go out as a run of
  // one; no longer runs are formed.
  std::vector<uint8_t> row;
  row.reserve(static_cast<size_t>(width) * 2);
  for (int32_t y = 0; y < height; ++y) {
    row.clear();
    const auto* p = indices.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      if (p[x] > 191) row.push_back(0xC1);
      row.push_back(p[x]);
    }
    out.put(row);
  }
  std::vector<uint8_t> tail;
  tail.reserve(1 + kPcxPaletteSize);
  tail.push_back(kPcxPaletteMarker);
  for (const auto& e : palette.entries) tail.insert(tail.end(), e.begin(), e.begin() + 3);
  out.put(tail);
  return out.flush();
}

}  // namespace palvex::files
