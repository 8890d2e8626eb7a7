// PNG files: our writer read back by our reader, and damaged files refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include "palvex/cli/CommandLine.h"
#include "palvex/files/Layout.h"
#include "palvex/files/OutputBuffer.h"
#include "palvex/files/PngCodec.h"
#include "testing/Fixtures.h"

namespace palvex::files {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes written(int32_t w, int32_t h, const Bytes& indices, const Palette& palette) {
  MemorySink sink;
  OutputBuffer out(sink);
  EXPECT_TRUE(PngCodec::encode(w, h, indices, palette, out));
  return sink.bytes;
}

Palette threeColours() {
  Palette p;
  p.set(0, 0, 0, 0);
  p.set(1, 200, 10, 20);
  p.set(2, 5, 250, 99);
  p.size = 3;
  return p;
}

std::string refusal(const Bytes& file) {
  Image im;
  try {
    PngCodec::decode(file, im);
  } catch (const DecodeError& e) {
    EXPECT_TRUE(im.pixels.empty());
    return e.what();
  }
  return "(accepted)";
}

// Puts the chunk CRC of the IHDR right after a change to it.
void fixHeaderCrc(Bytes& file) {
  const uLong crc = crc32(0, file.data() + 12, 17);
  testing::le32(file, 29, 0);
  for (int k = 0; k < 4; ++k)
    file[29 + static_cast<size_t>(k)] = static_cast<uint8_t>(crc >> (24 - 8 * k));
}

void putBig32(Bytes& file, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k)
    file[at + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (24 - 8 * k));
}

TEST(PalvexPng, OurIndexedFilesReadBackWithTheirIndicesAndPalette) {
  const Bytes indices{0, 1, 2, 2, 1, 0};
  const Bytes file = written(3, 2, indices, threeColours());
  ASSERT_TRUE(PngCodec::recognises(file));
  // Only the written entries are in the palette: 3 × 3 bytes.
  EXPECT_EQ(file[33 + 4 + 4 - 8 + 0], 0);  // length of the PLTE chunk, high byte
  EXPECT_EQ(file[36], 9);
  EXPECT_EQ(std::string(file.begin() + 37, file.begin() + 41), "PLTE");
  Image im;
  im.keepIndexPlane = true;
  PngCodec::decode(file, im);
  EXPECT_EQ(im.width, 3);
  EXPECT_EQ(im.height, 2);
  EXPECT_EQ(im.indexPlane, indices);
  EXPECT_EQ(im.sourcePaletteSize, 256);
  EXPECT_EQ(im.pixels, (Bytes{0, 0, 0, 200, 10, 20, 5, 250, 99, 5, 250, 99, 200, 10, 20, 0, 0, 0}));
  // An index beyond the palette's size widens the written palette.
  const Bytes wide = written(2, 1, {0, 9}, threeColours());
  EXPECT_EQ(wide[36], 30);
}

TEST(PalvexPng, DamagedFilesAreRefusedWithAReason) {
  const Bytes good = written(4, 4, Bytes(16, 1), threeColours());
  EXPECT_EQ(refusal(good), "(accepted)");

  Bytes badCrc = good;
  badCrc[badCrc.size() - 20] ^= 0x5A;  // inside the image data
  EXPECT_NE(refusal(badCrc).find("not a readable PNG"), std::string::npos) << refusal(badCrc);

  for (size_t cut : {size_t{8}, size_t{20}, size_t{40}, good.size() - 13}) {
    const Bytes part(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_NE(refusal(part), "(accepted)") << cut;
  }

  Bytes huge = good;
  putBig32(huge, 16, 1u << 30);
  putBig32(huge, 20, 1u << 30);
  fixHeaderCrc(huge);
  EXPECT_NE(refusal(huge).find("not a readable PNG"), std::string::npos) << refusal(huge);

  Bytes interlaced = good;
  interlaced[28] = 1;
  fixHeaderCrc(interlaced);
  EXPECT_EQ(refusal(interlaced), " Interlaced PNG files are not supported. ");
}

// The fuzz harness asks for checksums to be ignored so that its mutations
// reach the decoder; a plain decode still refuses the same file.
TEST(PalvexPng, ChecksumsAreIgnoredOnlyWhenAskedFor) {
  const Bytes good = written(4, 4, Bytes(16, 1), threeColours());
  Bytes badCrc = good;
  badCrc[badCrc.size() - 13] ^= 0x5A;  // the image data chunk's checksum
  EXPECT_NE(refusal(badCrc).find("not a readable PNG"), std::string::npos);
  Image im;
  im.keepIndexPlane = true;
  PngCodec::decode(badCrc, im, PngCodec::Checksums::kIgnore);
  EXPECT_EQ(im.indexPlane, Bytes(16, 1));
  // A damaged header checksum too.
  Bytes badHeader = good;
  badHeader[29] ^= 0xFF;
  EXPECT_NE(refusal(badHeader), "(accepted)");
  Image header;
  PngCodec::decode(badHeader, header, PngCodec::Checksums::kIgnore);
  EXPECT_EQ(header.width, 4);
}

TEST(PalvexPng, TheNewSwitchChangesNoEarlierAbbreviation) {
  using cli::CommandLine;
  const int png = CommandLine::match("png");
  ASSERT_EQ(CommandLine::keyword(png), "png");
  // Every abbreviation of every other keyword still selects what it did:
  // the first earlier entry it abbreviates, never the new one.
  for (int e = 0; e < png; ++e) {
    const std::string_view k = CommandLine::keyword(e);
    for (size_t n = 1; n <= k.size(); ++n) {
      const std::string text(k.substr(0, n));
      const int m = CommandLine::match(text);
      EXPECT_NE(m, png) << text;
      EXPECT_LT(m, png) << text;
    }
  }
  EXPECT_EQ(CommandLine::match("png"), png);
  EXPECT_EQ(CommandLine::match("PNG"), png);
  EXPECT_EQ(CommandLine::match("pn"), -1);
  EXPECT_EQ(CommandLine::match("pngs"), -1);
  EXPECT_STREQ(extensionOf(OutputFormat::kPng), "png");
}

}  // namespace
}  // namespace palvex::files
