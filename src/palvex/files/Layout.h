#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

// The byte layouts of the image files palvex reads and writes (all
// little-endian); see docs/palvex-files.md.
namespace palvex::files {

inline constexpr size_t kPcxHeaderSize = 128;
inline constexpr size_t kPcxPaletteSize = 768;
inline constexpr uint8_t kPcxMagic = 0x0A;
inline constexpr uint8_t kPcxPaletteMarker = 0x0C;
inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr size_t kBmpInfoHeaderSize = 40;
inline constexpr size_t kTgaHeaderSize = 18;
// The loader looks at this many bytes to choose the format.
inline constexpr size_t kSniffSize = 14;

// The largest image accepted: 8192 × 8192 pixels. Anything larger is
// refused before its pixels are allocated.
inline constexpr int64_t kMaxPixels = int64_t{1} << 26;

// A file that cannot be read as an image. what() is the message printed.
class DecodeError : public std::runtime_error {
 public:
  explicit DecodeError(const std::string& message) : std::runtime_error(message) {}
};

inline uint16_t le16(std::span<const uint8_t> d, size_t at) {
  if (at + 2 > d.size()) throw DecodeError(" Couldn't read from input file. ");
  return static_cast<uint16_t>(d[at] | (d[at + 1] << 8));
}

inline uint32_t le32(std::span<const uint8_t> d, size_t at) {
  if (at + 4 > d.size()) throw DecodeError(" Couldn't read from input file. ");
  return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
         (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

inline void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Refuses a size before anything is allocated for it.
void checkImageSize(int64_t width, int64_t height);

}  // namespace palvex::files

namespace palvex::files {

// The format of the indexed files written; the last of -pcx, -tga, -bmp,
// -png on the command line wins.
enum class OutputFormat { kPcx, kTga, kBmp, kPng };

// The three letters the extension rule puts at the end of an output name.
inline const char* extensionOf(OutputFormat f) {
  return f == OutputFormat::kBmp   ? "bmp"
         : f == OutputFormat::kTga ? "tga"
         : f == OutputFormat::kPng ? "png"
                                   : "pcx";
}

}  // namespace palvex::files
