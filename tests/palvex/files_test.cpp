// The image codecs, the output buffer and the loader.
#include <string>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/files/BmpCodec.h"
#include "palvex/files/ImageFiles.h"
#include "palvex/files/Layout.h"
#include "palvex/files/OutputBuffer.h"
#include "palvex/files/PcxCodec.h"
#include "palvex/files/TgaCodec.h"
#include "palvex/testing/Fixtures.h"
#include "platform/FileSizeLimit.h"

namespace palvex::files {
namespace {

using palvex::testing::Bytes;
using palvex::testing::tgaHeader;
using testing_support::StdoutCapture;
using testing_support::TestDir;

Palette rampPalette() {
  Palette p;
  for (int i = 0; i < 256; ++i)
    p.set(i, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 3));
  p.size = 256;
  return p;
}

std::string decodeError(const Bytes& b, bool allow8 = true) {
  Image im;
  try {
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M')
      BmpCodec::decode(b, allow8, im);
    else if (!b.empty() && b[0] == 0x0A)
      PcxCodec::decode(b, im);
    else
      TgaCodec::decode(b, im);
  } catch (const DecodeError& e) {
    return e.what();
  }
  return "";
}

Bytes encodePcx(int32_t w, int32_t h, const Bytes& indices, const Palette& p) {
  MemorySink sink;
  OutputBuffer out(sink);
  EXPECT_TRUE(PcxCodec::encode(w, h, indices, p, out));
  return sink.bytes;
}

// --- PCX ---

TEST(PalvexPcx, IndicesUpTo191AreLiteralAndAboveAreEscaped) {
  const Bytes file = encodePcx(3, 1, {191, 192, 255}, rampPalette());
  ASSERT_EQ(file.size(), 128u + 5 + 1 + 768);
  EXPECT_EQ(Bytes(file.begin() + 128, file.begin() + 133), (Bytes{191, 0xC1, 192, 0xC1, 255}));
  EXPECT_EQ(file[133], 0x0C);
  EXPECT_EQ(file[134 + 3 * 200], 200);  // palette R of entry 200
  EXPECT_EQ(file[135 + 3 * 200], 55);
}

TEST(PalvexPcx, HeaderFields) {
  const Bytes f = encodePcx(300, 2, Bytes(600, 7), rampPalette());
  EXPECT_EQ(Bytes(f.begin(), f.begin() + 4), (Bytes{0x0A, 5, 1, 8}));
  auto at16 = [&](size_t i) { return f[i] | (f[i + 1] << 8); };
  EXPECT_EQ(at16(4), 0);
  EXPECT_EQ(at16(6), 0);
  EXPECT_EQ(at16(8), 299);
  EXPECT_EQ(at16(10), 1);
  EXPECT_EQ(at16(12), 300);  // the "resolution" fields hold the size
  EXPECT_EQ(at16(14), 2);
  EXPECT_EQ(f[65], 1);
  EXPECT_EQ(at16(66), 300);
  EXPECT_EQ(at16(68), 0);
  for (size_t i = 70; i < 128; ++i) EXPECT_EQ(f[i], 0) << i;
}

TEST(PalvexPcx, RoundTripKeepsEveryIndexAndColour) {
  Bytes idx(37 * 5);
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<uint8_t>(i * 7);
  const Palette pal = rampPalette();
  Image im;
  im.keepIndexPlane = true;
  PcxCodec::decode(encodePcx(37, 5, idx, pal), im);
  ASSERT_EQ(im.width, 37);
  ASSERT_EQ(im.height, 5);
  EXPECT_EQ(im.indexPlane, idx);
  EXPECT_EQ(im.sourcePaletteSize, 256);
  for (size_t i = 0; i < idx.size(); ++i) {
    const auto& e = pal.entries[idx[i]];
    ASSERT_EQ(im.pixels[i * 3], e[0]);
    ASSERT_EQ(im.pixels[i * 3 + 1], e[1]);
    ASSERT_EQ(im.pixels[i * 3 + 2], e[2]);
  }
}

TEST(PalvexPcx, RunPastTheImageEndIsCutAndRowsFollowTheStream) {
  // 3 × 2: a run of 5 crosses the row end, the last run of 4 is cut at 1.
  Image im;
  im.keepIndexPlane = true;
  PcxCodec::decode(palvex::testing::pcxFile(3, 2, {0xC5, 9, 0xC4, 3}), im);
  EXPECT_EQ(im.indexPlane, (Bytes{9, 9, 9, 9, 9, 3}));
  EXPECT_EQ(im.pixels[0], 9);  // palette entry 9 is (9, 246, 4)
  EXPECT_EQ(im.pixels[1], 246);
  EXPECT_EQ(im.pixels[5 * 3], 3);
}

TEST(PalvexPcx, PaddedRowsOfAWiderBytesPerLineAreDropped) {
  Bytes f = palvex::testing::pcxFile(3, 2, {1, 2, 3, 77, 4, 5, 6, 78});
  palvex::testing::le16(f, 66, 4);
  Image im;
  im.keepIndexPlane = true;
  PcxCodec::decode(f, im);
  EXPECT_EQ(im.indexPlane, (Bytes{1, 2, 3, 4, 5, 6}));
}

TEST(PalvexPcxDamage, EachDamageGivesItsMessage) {
  const Bytes good = palvex::testing::pcxFile(4, 4, Bytes(16, 1));
  EXPECT_EQ(decodeError(good), "");

  Bytes planes = good;
  planes[65] = 3;
  EXPECT_EQ(decodeError(planes), "PCX: Bad header (8/3)");
  Bytes depth = good;
  depth[3] = 1;
  EXPECT_EQ(decodeError(depth), "PCX: Bad header (1/1)");
  EXPECT_EQ(decodeError(Bytes(good.begin(), good.begin() + 100)),
            " Couldn't read from input file. ");
  EXPECT_EQ(decodeError(Bytes(good.begin(), good.begin() + 500)),
            " PCX file too short for its palette. ");

  // Body shorter than the image: 15 of 16 indices. (The files have no
  // marker before the palette here: an unchecked marker reads as an index.)
  EXPECT_EQ(decodeError(palvex::testing::pcxFile(4, 4, Bytes(15, 1), false)),
            " Input file ends before its image data. ");
  // A run byte as the last byte of the body has no value.
  Bytes cutRun = Bytes(15, 1);
  cutRun.push_back(0xC2);
  EXPECT_EQ(decodeError(palvex::testing::pcxFile(4, 4, cutRun, false)),
            " Input file ends before its image data. ");
  // Xmax below Xmin.
  Bytes zero = good;
  palvex::testing::le16(zero, 4, 10);
  EXPECT_EQ(decodeError(zero), " Input file has no pixels (-6 x 4). ");
  // A header that lies about the size: 60000 × 60000 in a few bytes.
  Bytes lie = good;
  palvex::testing::le16(lie, 8, 59999);
  palvex::testing::le16(lie, 10, 1000);
  EXPECT_NE(decodeError(lie).find("more than it holds"), std::string::npos);
  palvex::testing::le16(lie, 10, 59999);
  EXPECT_NE(decodeError(lie).find("too large"), std::string::npos);
}

// --- BMP ---

Bytes encodeBmp8(int32_t w, int32_t h, const Bytes& idx) {
  MemorySink sink;
  OutputBuffer out(sink);
  EXPECT_TRUE(BmpCodec::encodeIndexed(w, h, idx, rampPalette(), out));
  return sink.bytes;
}

uint32_t at32(const Bytes& b, size_t i) {
  return b[i] | (b[i + 1] << 8) | (b[i + 2] << 16) | (static_cast<uint32_t>(b[i + 3]) << 24);
}

TEST(PalvexBmp, IndexedRowsOfWidthFiveArePaddedWithThreeZeros) {
  const Bytes f = encodeBmp8(5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  ASSERT_EQ(f.size(), 1078u + 16);
  EXPECT_EQ(at32(f, 2), 1094u);   // file size
  EXPECT_EQ(at32(f, 10), 1078u);  // data offset
  EXPECT_EQ(at32(f, 14), 40u);
  EXPECT_EQ(at32(f, 34), 10u);  // image size = width × height
  EXPECT_EQ(at32(f, 38), 100u);
  EXPECT_EQ(at32(f, 42), 100u);
  // Palette entry 200 stored B, G, R, 0.
  EXPECT_EQ(Bytes(f.begin() + 54 + 800, f.begin() + 58 + 800), (Bytes{66, 55, 200, 0}));
  // Bottom row first.
  EXPECT_EQ(Bytes(f.begin() + 1078, f.end()),
            (Bytes{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));
}

TEST(PalvexBmp, TrueColourRowsOfWidthFiveArePaddedWithOneZero) {
  std::vector<uint8_t> px(5 * 3);
  for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i + 1);
  MemorySink sink;
  OutputBuffer out(sink);
  ASSERT_TRUE(BmpCodec::encodeTrueColour(5, 1, px, out));
  const Bytes& f = sink.bytes;
  ASSERT_EQ(f.size(), 54u + 16);
  EXPECT_EQ(at32(f, 10), 54u);
  EXPECT_EQ(at32(f, 34), 15u);
  EXPECT_EQ(Bytes(f.begin() + 54, f.begin() + 57), (Bytes{3, 2, 1}));
  EXPECT_EQ(f.back(), 0);
  Image im;
  BmpCodec::decode(f, false, im);
  EXPECT_EQ(im.pixels, px);
}

TEST(PalvexBmp, EightBitNeedsTheSwitchAndThirtyTwoBitIsRefused) {
  const Bytes f = encodeBmp8(5, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  const std::string refusal = " Input file is not a 24/32 bit truecolor BMP. Use -8 to override. ";
  EXPECT_EQ(decodeError(f, false), refusal);
  Image im;
  im.keepIndexPlane = true;
  BmpCodec::decode(f, true, im);
  EXPECT_EQ(im.indexPlane, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(im.sourcePaletteSize, 256);
  EXPECT_EQ(im.pixels[0], 1);
  EXPECT_EQ(im.pixels[1], 254);

  Bytes b32 = palvex::testing::bmp24(2, 2, std::vector<uint8_t>(12, 9));
  b32[28] = 32;
  EXPECT_EQ(decodeError(b32, false), refusal);
  EXPECT_EQ(decodeError(b32, true), refusal);
}

TEST(PalvexBmpDamage, EachDamageGivesItsMessage) {
  const Bytes good = palvex::testing::bmp24(3, 3, std::vector<uint8_t>(27, 5));
  EXPECT_EQ(decodeError(good), "");
  EXPECT_EQ(decodeError(Bytes(good.begin(), good.begin() + 30)),
            " Couldn't read 2nd header from input file. ");
  EXPECT_EQ(decodeError(Bytes(good.begin(), good.end() - 13)),
            " Input file ends before its image data. ");
  // The last row's padding may be missing.
  EXPECT_EQ(decodeError(Bytes(good.begin(), good.end() - 3)), "");
  Bytes topDown = good;
  palvex::testing::le32(topDown, 22, static_cast<uint32_t>(-3));
  EXPECT_EQ(decodeError(topDown), " Top-down BMP files are not supported. ");
  Bytes packed = good;
  packed[30] = 1;
  EXPECT_EQ(decodeError(packed), " Compressed BMP files are not supported. ");
  Bytes zero = good;
  palvex::testing::le32(zero, 18, 0);
  EXPECT_EQ(decodeError(zero), " Input file has no pixels (0 x 3). ");
  Bytes lie = good;
  palvex::testing::le32(lie, 18, 5000);
  palvex::testing::le32(lie, 22, 5000);
  EXPECT_EQ(decodeError(lie), " Input file ends before its image data. ");
  Bytes into = good;
  palvex::testing::le32(into, 10, 20);
  EXPECT_EQ(decodeError(into), " BMP data offset points into its headers. ");
}

TEST(PalvexBmp, ShortPaletteAndLaterDataOffsetAreHonoured) {
  // Two palette entries, data after a gap.
  Bytes f(14 + 40 + 8 + 4, 0);
  f[0] = 'B';
  f[1] = 'M';
  palvex::testing::le32(f, 10, 14 + 40 + 8 + 4);
  palvex::testing::le32(f, 14, 40);
  palvex::testing::le32(f, 18, 2);
  palvex::testing::le32(f, 22, 1);
  palvex::testing::le16(f, 28, 8);
  palvex::testing::le32(f, 46, 2);
  f[54 + 4 + 2] = 200;  // entry 1 red
  f.insert(f.end(), {1, 0, 0, 0});
  Image im;
  BmpCodec::decode(f, true, im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{200, 0, 0, 0, 0, 0}));
}

// --- TGA ---

TEST(PalvexTga, SixteenBitPixelsWidenEachFiveBitValue) {
  Bytes f = tgaHeader(2, 3, 1, 16);
  f.insert(f.end(), {0xFF, 0x7F, 0x21, 0x04, 0x00, 0xFC});
  Image im;
  TgaCodec::decode(f, im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{255, 255, 255, 8, 8, 8, 255, 0, 0}));
}

TEST(PalvexTga, RowsAreTurnedOverWhateverTheOriginBitSays) {
  for (uint8_t descriptor : {uint8_t{0x00}, uint8_t{0x20}}) {
    Bytes f = tgaHeader(2, 1, 3, 32);
    f[17] = descriptor;
    f.insert(f.end(), {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99});
    Image im;
    TgaCodec::decode(f, im);
    EXPECT_EQ(im.pixels, (std::vector<uint8_t>{9, 8, 7, 6, 5, 4, 3, 2, 1})) << int{descriptor};
  }
}

TEST(PalvexTga, ColourMappedAndGreyEightBitPixels) {
  Bytes mapped = tgaHeader(1, 2, 1, 8, 2, 24);
  mapped[0] = 3;  // identifier, skipped
  mapped.insert(mapped.end(), {'a', 'b', 'c', 10, 20, 30, 40, 50, 60, 1, 0});
  Image im;
  im.keepIndexPlane = true;
  TgaCodec::decode(mapped, im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{60, 50, 40, 30, 20, 10}));
  EXPECT_EQ(im.indexPlane, (Bytes{1, 0}));
  EXPECT_EQ(im.sourcePaletteSize, 0);

  Bytes grey = tgaHeader(2, 2, 1, 8);
  grey.insert(grey.end(), {7, 200});
  TgaCodec::decode(grey, im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{7, 7, 7, 200, 200, 200}));
}

TEST(PalvexTga, RunLengthPacketsAndTheLastPacketCutAtTheImageEnd) {
  Bytes f = tgaHeader(10, 5, 1, 24);
  // raw packet of 2, then a run of 128 of which 3 are used.
  f.insert(f.end(), {0x01, 1, 2, 3, 4, 5, 6, 0xFF, 7, 8, 9});
  Image im;
  TgaCodec::decode(f, im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 9, 8, 7, 9, 8, 7, 9, 8, 7}));
}

TEST(PalvexTga, IndexedWritingFlipsTheRowsInPlace) {
  Bytes idx = {1, 2, 3, 4, 5, 6};
  MemorySink sink;
  OutputBuffer out(sink);
  ASSERT_TRUE(TgaCodec::encodeIndexed(2, 3, idx, rampPalette(), out));
  EXPECT_EQ(idx, (Bytes{5, 6, 3, 4, 1, 2}));
  const Bytes& f = sink.bytes;
  ASSERT_EQ(f.size(), 18u + 768 + 6);
  EXPECT_EQ(Bytes(f.begin(), f.begin() + 18),
            (Bytes{0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 2, 0, 3, 0, 8, 0}));
  EXPECT_EQ(Bytes(f.begin() + 18 + 600, f.begin() + 18 + 603), (Bytes{66, 55, 200}));
  EXPECT_EQ(Bytes(f.end() - 6, f.end()), (Bytes{5, 6, 3, 4, 1, 2}));
  // Read back, the picture is the right way up again.
  Image im;
  im.keepIndexPlane = true;
  TgaCodec::decode(f, im);
  EXPECT_EQ(im.indexPlane, (Bytes{1, 2, 3, 4, 5, 6}));
}

TEST(PalvexTgaDamage, EachDamageGivesItsMessage) {
  EXPECT_EQ(decodeError(Bytes(17, 0)), " Couldn't read from input file. ");
  EXPECT_EQ(decodeError(tgaHeader(3, 1, 1, 8)), " Input file is not a supported Targa file.");
  // 65535 × 65535 in 100 bytes.
  Bytes huge = tgaHeader(10, 65535, 65535, 24);
  huge.resize(100, 0xFF);
  EXPECT_NE(decodeError(huge).find("too large"), std::string::npos);
  Bytes lie = tgaHeader(10, 4000, 4000, 24);
  lie.resize(100, 0xFF);
  EXPECT_EQ(decodeError(lie), " Input file ends before its image data. ");
  Bytes raw = tgaHeader(2, 4, 4, 24);
  raw.resize(18 + 47);
  EXPECT_EQ(decodeError(raw), " Input file ends before its image data. ");
  // A run packet whose value is missing.
  Bytes cut = tgaHeader(10, 4, 1, 24);
  cut.insert(cut.end(), {0x83, 1, 2});
  EXPECT_EQ(decodeError(cut), " Input file ends before its image data. ");
  EXPECT_EQ(decodeError(tgaHeader(2, 0, 5, 24)), " Input file has no pixels (0 x 5). ");
  Bytes longMap = tgaHeader(1, 1, 1, 8, 200, 24);
  longMap.resize(100);
  EXPECT_EQ(decodeError(longMap), " Targa colour map reaches past the end of the file. ");
  EXPECT_EQ(decodeError(tgaHeader(1, 1, 1, 8, 4, 16)),
            " Targa colour map of 16-bit entries is not supported. ");
  EXPECT_EQ(decodeError(tgaHeader(1, 1, 1, 8, 300, 24)),
            " Targa colour map of more than 256 entries is not supported. ");
  EXPECT_EQ(decodeError(tgaHeader(2, 1, 1, 15)),
            " Targa pixel depth of 15 bits is not supported. ");
  EXPECT_EQ(decodeError(tgaHeader(9, 1, 1, 16, 2, 24)),
            " Colour-mapped Targa files must have 8-bit pixels. ");
}

// A colour-mapped file whose pixels index past its colour map was read with
// those pixels black; it is refused, raw or run-length coded.
TEST(PalvexTgaDamage, PixelsIndexingPastTheColourMapAreRefused) {
  const std::string message = " Targa pixel indexes past the end of its colour map. ";
  Bytes past = tgaHeader(1, 2, 1, 8, 2, 24);
  past.insert(past.end(), {10, 20, 30, 40, 50, 60, 1, 2});
  EXPECT_EQ(decodeError(past), message);
  Bytes lastFits = past;
  lastFits.back() = 1;
  Image im;
  TgaCodec::decode(lastFits, im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{60, 50, 40, 60, 50, 40}));
  Bytes run = tgaHeader(9, 3, 1, 8, 1, 24);
  run.insert(run.end(), {10, 20, 30, 0x82, 1});
  EXPECT_EQ(decodeError(run), message);
  // No colour map at all: every index is past it.
  Bytes noMap = tgaHeader(1, 1, 1, 8);
  noMap.push_back(0);
  EXPECT_EQ(decodeError(noMap), message);
}

// --- the output buffer ---

TEST(PalvexOutputBuffer, PiecesAreGatheredUpTo8192Bytes) {
  MemorySink sink;
  OutputBuffer out(sink);
  out.put(Bytes(5000, 1));
  out.put(Bytes(3192, 2));  // exactly fills the buffer
  EXPECT_EQ(sink.writes, 0);
  out.put(Bytes(1, 3));  // does not fit: the full buffer goes first
  EXPECT_EQ(sink.writes, 1);
  EXPECT_EQ(sink.bytes.size(), 8192u);
  out.put(Bytes(9000, 4));  // too large: flushed before, then written alone
  EXPECT_EQ(sink.writes, 3);
  EXPECT_EQ(sink.bytes.size(), 8192u + 1 + 9000);
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.writes, 3);
}

class FailingSink : public Sink {
 public:
  bool write(std::span<const uint8_t>) override { return false; }
};

TEST(PalvexOutputBuffer, AFailedWriteFailsTheWholeFile) {
  FailingSink sink;
  OutputBuffer out(sink);
  EXPECT_FALSE(PcxCodec::encode(100, 100, Bytes(10000, 1), rampPalette(), out));
  EXPECT_FALSE(out.ok());
}

// --- the loader and the writers on files ---

TEST(PalvexImageFiles, FormatIsChosenByTheFirstBytes) {
  TestDir dir;
  const Palette pal = rampPalette();
  Image im;
  im.output.width = 2;
  im.output.height = 2;
  im.output.indices = {1, 2, 3, 4};
  im.output.palette = pal;
  for (auto format : {OutputFormat::kPcx, OutputFormat::kBmp, OutputFormat::kTga}) {
    im.output.indices = {1, 2, 3, 4};
    im.outputName = dir / (std::string("x.") + extensionOf(format));
    StdoutCapture cap;
    ASSERT_TRUE(ImageFiles::writeIndexed(im.output, im.outputName, format, false));
    Image back;
    back.inputName = im.outputName;
    back.keepIndexPlane = true;
    ASSERT_TRUE(ImageFiles::load(back, true));
    EXPECT_EQ(back.indexPlane, (Bytes{1, 2, 3, 4})) << im.outputName;
    EXPECT_EQ(cap.text(), format == OutputFormat::kPcx ? "PCX file read." : "");
  }
}

TEST(PalvexImageFiles, LoadFailuresPrintTheirMessage) {
  TestDir dir;
  Image im;
  im.inputName = dir / "missing.tga";
  {
    StdoutCapture cap;
    EXPECT_FALSE(ImageFiles::load(im, false));
    EXPECT_EQ(cap.text(), " Input file [" + im.inputName + "] not found. ");
  }
  im.inputName = dir.write("short.tga", "0123456789");
  StdoutCapture cap;
  EXPECT_FALSE(ImageFiles::load(im, false));
  EXPECT_EQ(cap.text(), " Couldn't read from input file. ");
}

TEST(PalvexImageFiles, AnOutputThatCannotBeCreatedIsReported) {
  TestDir dir;
  Image im;
  im.output.width = im.output.height = 1;
  im.output.indices = {0};
  im.outputName = dir / "no/such/dir/x.pcx";
  StdoutCapture cap;
  EXPECT_FALSE(ImageFiles::writeIndexed(im.output, im.outputName, OutputFormat::kPcx, true));
  EXPECT_EQ(cap.text(), "Writing PCX file data header\n Could not open PCX file " + im.outputName +
                            " for writing.\n");
}

// A write that fails part way (here: the file size limit) must not leave a
// cut-short file that looks finished.
TEST(PalvexImageFiles, AFileWhoseWritingFailsIsRemoved) {
  TestDir dir;
  Image im;
  im.output.width = 200;
  im.output.height = 200;
  im.output.indices.assign(200 * 200, 7);
  im.outputName = dir / "big.pcx";
  bool written = true;
  std::string out;
  {
    platform::FileSizeLimit small(10000);
    if (!small.active())
      GTEST_SKIP() << "this system has no file size limit of a process to make a write fail "
                      "part way";
    StdoutCapture cap;
    written = ImageFiles::writeIndexed(im.output, im.outputName, OutputFormat::kPcx, false);
    out = cap.text();
  }
  EXPECT_FALSE(written);
  EXPECT_FALSE(platform::exists(im.outputName));
  EXPECT_EQ(out, " Could not write PCX file " + im.outputName + ": the disk may be full.\n");
}

}  // namespace
}  // namespace palvex::files
