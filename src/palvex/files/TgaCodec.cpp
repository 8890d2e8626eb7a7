#include "palvex/files/TgaCodec.h"

#include <algorithm>

#include "palvex/files/Layout.h"

namespace palvex::files {
namespace {

constexpr uint8_t kTypeMapped = 1;
constexpr uint8_t kTypeTrue = 2;
constexpr uint8_t kTypeMappedRle = 9;
constexpr uint8_t kTypeTrueRle = 10;

uint8_t widen5(unsigned x) { return static_cast<uint8_t>((x << 3) | (x >> 2)); }

[[noreturn]] void truncated() { throw DecodeError(" Input file ends before its image data. "); }

// Reads `count` raw pixel values of `bpp` bytes from `data` at `pos`:
// stored as they are, run-length packets expanded.
std::vector<uint8_t> readValues(std::span<const uint8_t> data, size_t pos, size_t count, size_t bpp,
                                bool rle) {
  const size_t want = count * bpp;
  if (!rle) {
    if (pos > data.size() || data.size() - pos < want) truncated();
    return std::vector<uint8_t>(data.begin() + static_cast<std::ptrdiff_t>(pos),
                                data.begin() + static_cast<std::ptrdiff_t>(pos + want));
  }
  // A packet of 1 + bpp bytes gives at most 128 pixels.
  const size_t left = pos > data.size() ? 0 : data.size() - pos;
  if (count > left / (1 + bpp) * 128 + 128) truncated();
  std::vector<uint8_t> out;
  out.reserve(want);
  while (out.size() < want) {
    if (pos >= data.size()) truncated();
    const uint8_t head = data[pos++];
    const size_t n = (head & 0x7Fu) + 1;
    const size_t bytes = (head & 0x80) != 0 ? bpp : n * bpp;
    if (data.size() - pos < bytes) truncated();
    // The last packet may reach past the image; what lies beyond is dropped.
    for (size_t i = 0; i < n && out.size() < want; ++i) {
      const size_t from = (head & 0x80) != 0 ? pos : pos + i * bpp;
      out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(from),
                 data.begin() + static_cast<std::ptrdiff_t>(from + bpp));
    }
    pos += bytes;
  }
  return out;
}

// Exchanges row i with row rows - 1 - i for i below rows / 2.
void turnOver(std::vector<uint8_t>& data, size_t rowBytes, size_t rows) {
  for (size_t i = 0; i < rows / 2; ++i)
    std::swap_ranges(data.begin() + static_cast<std::ptrdiff_t>(i * rowBytes),
                     data.begin() + static_cast<std::ptrdiff_t>((i + 1) * rowBytes),
                     data.begin() + static_cast<std::ptrdiff_t>((rows - 1 - i) * rowBytes));
}

// R, G, B of `count` raw values of `bpp` bytes.
std::vector<uint8_t> toRgb(const std::vector<uint8_t>& raw, size_t count, size_t bpp,
                           const std::array<uint8_t, 768>& map, bool mapped) {
  std::vector<uint8_t> pixels(count * 3);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* v = raw.data() + i * bpp;
    uint8_t* p = pixels.data() + i * 3;
    if (bpp == 1) {
      if (mapped) {
        p[0] = map[size_t{v[0]} * 3];
        p[1] = map[size_t{v[0]} * 3 + 1];
        p[2] = map[size_t{v[0]} * 3 + 2];
      } else {
        p[0] = p[1] = p[2] = v[0];
      }
    } else if (bpp == 2) {
      const unsigned x = v[0] | (unsigned{v[1]} << 8);
      p[0] = widen5((x >> 10) & 31);
      p[1] = widen5((x >> 5) & 31);
      p[2] = widen5(x & 31);
    } else {
      p[0] = v[2];
      p[1] = v[1];
      p[2] = v[0];
    }
  }
  return pixels;
}

}  // namespace

void TgaCodec::decode(std::span<const uint8_t> data, SourcePicture& image) {
  if (data.size() < kTgaHeaderSize) throw DecodeError(" Couldn't read from input file. ");
  const uint8_t type = data[2];
  if (type != kTypeMapped && type != kTypeTrue && type != kTypeMappedRle && type != kTypeTrueRle)
    throw DecodeError(" Input file is not a supported Targa file.");
  const uint16_t mapLength = le16(data, 5);
  const uint8_t mapEntryBits = data[7];
  const uint16_t width = le16(data, 12);
  const uint16_t height = le16(data, 14);
  const uint8_t depth = data[16];
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
    throw DecodeError(" Targa pixel depth of " + std::to_string(depth) +
                      " bits is not supported. ");
  const bool mappedType = type == kTypeMapped || type == kTypeMappedRle;
  if (mappedType && depth != 8)
    throw DecodeError(" Colour-mapped Targa files must have 8-bit pixels. ");
  if (mapLength > 0 && mapEntryBits != 24 && mapEntryBits != 32)
    throw DecodeError(" Targa colour map of " + std::to_string(mapEntryBits) +
                      "-bit entries is not supported. ");
  if (mapLength > 256)
    throw DecodeError(" Targa colour map of more than 256 entries is not supported. ");
  checkImageSize(width, height);

  size_t pos = kTgaHeaderSize + data[0];
  const size_t entryBytes = mapEntryBits / 8u;
  std::array<uint8_t, 768> map{};
  if (mapLength > 0) {
    if (pos > data.size() || data.size() - pos < mapLength * entryBytes)
      throw DecodeError(" Targa colour map reaches past the end of the file. ");
    for (size_t i = 0; i < mapLength; ++i) {
      const uint8_t* e = data.data() + pos + i * entryBytes;
      map[i * 3] = e[2];
      map[i * 3 + 1] = e[1];
      map[i * 3 + 2] = e[0];
    }
    pos += mapLength * entryBytes;
  }

  const size_t count = size_t{width} * height;
  const size_t bpp = depth / 8u;
  const bool rle = type == kTypeMappedRle || type == kTypeTrueRle;
  const std::vector<uint8_t> raw = readValues(data, pos, count, bpp, rle);
  // An index past the colour map has no colour; refused rather than read
  // as black.
  if (mappedType && std::any_of(raw.begin(), raw.end(), [&](uint8_t v) { return v >= mapLength; }))
    throw DecodeError(" Targa pixel indexes past the end of its colour map. ");

  std::vector<uint8_t> pixels = toRgb(raw, count, bpp, map, mapLength > 0);
  // Stored bottom-up.
  turnOver(pixels, size_t{width} * 3, height);
  std::vector<uint8_t> indices;
  if (bpp == 1 && image.keepIndexPlane) {
    indices = raw;
    turnOver(indices, width, height);
  }
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  image.indexPlane = std::move(indices);
}

bool TgaCodec::encodeIndexed(int32_t width, int32_t height, std::vector<uint8_t>& indices,
                             const Palette& palette, OutputBuffer& out) {
  std::vector<uint8_t> head = {0, 1, kTypeMapped, 0, 0};
  put16(head, 256);
  head.push_back(24);
  put16(head, 0);
  put16(head, 0);
  put16(head, static_cast<uint32_t>(width));
  put16(head, static_cast<uint32_t>(height));
  head.push_back(8);
  head.push_back(0);
  for (const auto& e : palette.entries) {
    head.push_back(e[2]);
    head.push_back(e[1]);
    head.push_back(e[0]);
  }
  out.put(head);
  const auto w = static_cast<size_t>(width);
  const auto h = static_cast<size_t>(height);
  if (h >= 2) turnOver(indices, w, h);
  out.put(std::span<const uint8_t>(indices.data(), w * h));
  return out.flush();
}

}  // namespace palvex::files
