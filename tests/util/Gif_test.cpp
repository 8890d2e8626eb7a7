#include "util/Gif.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GifImages.h"
#include "TestDir.h"
#include "base/Failure.h"
#include "platform/FileSystem.h"

namespace {

using namespace testing_support::gif;
using testing_support::StdoutCapture;
using testing_support::TestDir;

// ---- the writer ----

TEST(GifWriter, OneByOneImageIsByteExact) {
  Gif g;
  g.width = g.columns = 1;
  g.height = g.rows = 1;
  g.pixels = {{5}};
  g.colormap.resize(768);
  for (size_t i = 0; i < 768; ++i) g.colormap[i] = static_cast<uint8_t>(i * 7);
  Bytes out = {'x'};  // appended to what the buffer holds
  ASSERT_TRUE(g.encode(out));

  Bytes expected = {'x', 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x87, 0, 0};
  expected.insert(expected.end(), g.colormap.begin(), g.colormap.end());
  // Clear 256, pixel 5, end 257: three 9-bit codes in four bytes.
  const Bytes tail = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8, 4, 0x00, 0x0B, 0x04, 0x04, 0, 0x3B};
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(out, expected);
}

TEST(GifWriter, RefusesWhatCannotBeWrittenAndKeepsTheBuffer) {
  const Gif good = randomImage(3, 2, 4, 1);
  Gif shortTable = good, wide = good, fewRows = good, shortRow = good;
  shortTable.colormap.resize(767);
  wide.width = 70000;
  fewRows.pixels.pop_back();
  shortRow.pixels[1].pop_back();
  const std::pair<Gif*, std::string> cases[] = {
      {&shortTable, "the colour table holds 767 bytes instead of 768"},
      {&wide, "width 70000 is outside 0 to 65535"},
      {&fewRows, "fewer pixel rows than the image has"},
      {&shortRow, "a pixel row is shorter than the image"},
  };
  for (const auto& [gif, why] : cases) {
    Bytes out = {1, 2};
    StdoutCapture cap;
    const bool ok = gif->encode(out);
    EXPECT_EQ(cap.text(), "Error in Gif.encode: FormatError: " + why + "\n");
    EXPECT_FALSE(ok);
    EXPECT_EQ(out, (Bytes{1, 2}));
  }
}

// Walks the data sub-blocks after the image descriptor of a file of ours.
std::vector<int> subBlockLengths(const Bytes& file) {
  std::vector<int> lengths;
  size_t pos = 13 + 768 + 10 + 1;  // header, table, descriptor, code size
  while (pos < file.size() && file[pos] != 0) {
    lengths.push_back(file[pos]);
    pos += file[pos] + 1u;
  }
  return lengths;
}

TEST(GifRoundTrip, ImagesOfManySizesReadBackIdentically) {
  const std::tuple<int, int, int> cases[] = {{1, 1, 256},   {2, 1, 2},       {1, 7, 3},
                                             {13, 5, 256},  {64, 64, 1},     {255, 3, 256},
                                             {500, 160, 5}, {300, 200, 256}, {1, 4000, 256}};
  uint32_t seed = 10;
  for (auto [w, h, colours] : cases) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const Gif g = randomImage(w, h, colours, seed++);
    const Bytes file = encoded(g);
    Decoded d = decodeBytes(file);
    ASSERT_TRUE(d.ok) << d.text;
    EXPECT_EQ(d.text, "");
    EXPECT_TRUE(d.gif.pixels == g.pixels);
    EXPECT_EQ(d.gif.colormap, g.colormap);
    EXPECT_EQ(d.gif.width, w);
    EXPECT_EQ(d.gif.height, h);
    EXPECT_EQ(d.gif.global_colors, 256);
    EXPECT_EQ(d.gif.transparency_index, -1);
    const std::vector<int> blocks = subBlockLengths(file);
    ASSERT_FALSE(blocks.empty());
    for (size_t i = 0; i + 1 < blocks.size(); ++i) EXPECT_EQ(blocks[i], 254);
    EXPECT_LE(blocks.back(), 254);
  }
}

TEST(GifRoundTrip, FullTableRestartsWithNineBitCodes) {
  // Noise of 256 colours makes a new string for nearly every pixel, so the
  // table fills (and is cleared) about every 3800 pixels.
  const Gif g = randomImage(256, 256, 256, 77);
  const Bytes file = encoded(g);
  // Without clears the codes would stay 12 bits wide; with them most are
  // narrower, so the data is clearly shorter than 12 bits per pixel.
  EXPECT_LT(file.size(), 256u * 256u * 12 / 8);
  EXPECT_GT(file.size(), 256u * 256u * 9 / 8);
  Decoded d = decodeBytes(file);
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_TRUE(d.gif.pixels == g.pixels);
}

// ---- the reader ----

class GifDamage : public ::testing::Test {
 protected:
  // A good 4 x 3 file of ours.
  Gif image = randomImage(4, 3, 16, 3);
  Bytes good = encoded(image);
  static constexpr size_t kTableEnd = 13 + 768;      // first byte after the global table
  static constexpr size_t kDescriptor = kTableEnd;   // the image separator
  static constexpr size_t kData = kDescriptor + 10;  // the LZW code size byte

  Bytes cut(size_t n) const { return Bytes(good.begin(), good.begin() + static_cast<long>(n)); }
  Bytes with(size_t at, uint8_t v) const {
    Bytes b = good;
    b[at] = v;
    return b;
  }
  Bytes inserted(size_t at, const Bytes& extra) const {
    Bytes b = good;
    b.insert(b.begin() + static_cast<long>(at), extra.begin(), extra.end());
    return b;
  }
  // The file with its image data replaced.
  Bytes withData(const Bytes& data) const {
    Bytes b = good;
    b.resize(kData + data.size());
    std::copy(data.begin(), data.end(), b.begin() + static_cast<long>(kData));
    return b;
  }
};

TEST_F(GifDamage, EachRefusalPrintsItsLine) {
  const std::pair<Bytes, std::string> cases[] = {
      {cut(3), "decode: Input Stream was empty\n"},
      {Bytes{}, "decode: Input Stream was empty\n"},
      {with(0, 'g'), "decode: Input Stream is not a GIF\n"},
      {with(kDescriptor + 1, 1), "decode: image not at origin, not decoding...\n"},
      {with(kDescriptor + 4, 1), "decode: image not at origin, not decoding...\n"},
      {with(kDescriptor + 9, 0x40), "decode: image is interlaced, not decoding...\n"},
      {with(kDescriptor + 9, 0x80), "decode: image doesn't use global colormap, not decoding...\n"},
      // The checks come in this order.
      {with(kDescriptor + 9, 0xC0), "decode: image is interlaced, not decoding...\n"},
  };
  for (const auto& [file, line] : cases) {
    Decoded d = decodeBytes(file);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.text, line + "decode: end\n");
  }
  Bytes both = with(kDescriptor + 9, 0x40);
  both[kDescriptor + 1] = 3;
  EXPECT_EQ(decodeBytes(both).text, "decode: image not at origin, not decoding...\ndecode: end\n");
}

TEST_F(GifDamage, HugeImagesAreRefusedBeforeAllocating) {
  Bytes b = good;
  b[kDescriptor + 5] = b[kDescriptor + 6] = b[kDescriptor + 7] = b[kDescriptor + 8] = 0xFF;
  Decoded d = decodeBytes(b);
  EXPECT_FALSE(d.ok);
  EXPECT_EQ(d.text,
            "decode: image of 65535 x 65535 pixels is too large, not decoding...\n"
            "decode: end\n");
  EXPECT_TRUE(d.gif.pix.empty());
  // 8192 x 8192 is the largest accepted: it fails on its missing data only.
  b[kDescriptor + 5] = b[kDescriptor + 7] = 0x00;
  b[kDescriptor + 6] = b[kDescriptor + 8] = 0x20;
  d = decodeBytes(b);
  EXPECT_NE(d.text.find("decode: Corrupt GIF :: "), std::string::npos) << d.text;
}

TEST_F(GifDamage, ShortFilesEndInTheErrorLine) {
  const Bytes cases[] = {
      cut(10),               // inside the screen descriptor
      cut(500),              // inside the colour table
      cut(kTableEnd),        // no image at all
      cut(kDescriptor + 6),  // inside the image descriptor
      [this] {               // a trailer before any image
        Bytes b = cut(kTableEnd);
        b.push_back(0x3B);
        return b;
      }(),
      [this] {  // an extension running off the end
        Bytes b = cut(kTableEnd);
        b.insert(b.end(), {0x21, 0xFE, 0x10, 'a', 'b', 'c'});
        return b;
      }(),
  };
  for (const Bytes& b : cases) {
    Decoded d = decodeBytes(b);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.text.rfind("Error in Gif.decode : FormatError: ", 0), 0u) << d.text;
    EXPECT_EQ(d.text.find('\n'), d.text.size() - 1) << d.text;
  }
}

TEST_F(GifDamage, BadImageDataEndsInCorruptGif) {
  const std::string tail = "decode: pixels could not be decoded\ndecode: end\n";
  // A terminator right away.
  EXPECT_EQ(decodeBytes(withData({8, 0})).text,
            "decode: Corrupt GIF :: 0 of 12 pixels read\n" + tail);
  // Data cut off after its first sub-block's length byte.
  EXPECT_EQ(decodeBytes(withData({8, 5, 0, 1})).text,
            "decode: Corrupt GIF :: 0 of 12 pixels read\n" + tail);
  // Code size out of range.
  EXPECT_EQ(decodeBytes(withData({12, 1, 0, 0})).text,
            "decode: LZW code size 12 is not 1 to 8\n" + tail);
  EXPECT_EQ(decodeBytes(withData({0, 1, 0, 0})).text,
            "decode: LZW code size 0 is not 1 to 8\n" + tail);
  // Code size 2: clear (4), then 7, beyond the next free code 6.
  EXPECT_EQ(decodeBytes(withData({2, 1, 4 | 7 << 3, 0})).text,
            "c>a = 7 6\nc=e = 7 5\ndecode: Corrupt GIF :: 0 of 12 pixels read\n" + tail);
  // Clear, pixel 1, end code 5 before all pixels are there.
  EXPECT_EQ(decodeBytes(withData({2, 2, 0x4C, 0x01, 0})).text,
            "c>a = 5 6\nc=e = 5 5\ndecode: Corrupt GIF :: 1 of 12 pixels read\n" + tail);
  // Clear, 6 (undefined, taken as the first code), 0, which defines 6 as
  // itself plus 0, then 6 again: a string without end.
  EXPECT_EQ(decodeBytes(withData({2, 2, 0x34, 0x0C, 0})).text,
            "decode: an LZW string is longer than any table\n"
            "decode: Corrupt GIF :: 2 of 12 pixels read\n" +
                tail);
}

// Codes of `width` bits packed LSB first into sub-blocks.
class CodePacker {
 public:
  void put(int code, int width) {
    acc_ |= static_cast<uint64_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      bytes_.push_back(static_cast<uint8_t>(acc_ & 0xFF));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  Bytes blocks(uint8_t codeSize) {
    if (bits_ > 0) bytes_.push_back(static_cast<uint8_t>(acc_));
    Bytes out = {codeSize};
    for (size_t i = 0; i < bytes_.size(); i += 255) {
      const size_t n = std::min<size_t>(255, bytes_.size() - i);
      out.push_back(static_cast<uint8_t>(n));
      out.insert(out.end(), bytes_.begin() + static_cast<long>(i),
                 bytes_.begin() + static_cast<long>(i + n));
    }
    out.push_back(0);
    return out;
  }

 private:
  uint64_t acc_ = 0;
  int bits_ = 0;
  Bytes bytes_;
};

TEST_F(GifDamage, TableOverflowWithoutClearIsCorrupt) {
  // Code size 2, one clear, then code 0 over and over: every code after the
  // first defines a new one, until all 4096 are taken.
  CodePacker p;
  p.put(4, 3);
  int available = 6, width = 3;
  p.put(0, width);
  for (int i = 0; i < 4100; ++i) {
    p.put(0, width);
    if (available < 4096 && ++available < 4096 && (available & ((1 << width) - 1)) == 0) ++width;
  }
  Bytes b = withData(p.blocks(2));
  b[kDescriptor + 5] = 0x10;  // 10000 x 3 pixels
  b[kDescriptor + 6] = 0x27;
  Decoded d = decodeBytes(b);
  EXPECT_FALSE(d.ok);
  EXPECT_NE(d.text.find("a>m = 4096 4096\ndecode: Corrupt GIF :: 4091 of 30000 pixels read\n"),
            std::string::npos)
      << d.text;
}

TEST_F(GifDamage, ZeroWidthImageReadsAsEmptyRows) {
  // Regression: copying the rows of an image without columns passed a null
  // pointer to memcpy (found by the fuzzer).
  Bytes b = good;
  b[kDescriptor + 5] = 0;
  Decoded d = decodeBytes(b);
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_EQ(d.gif.pixels, Gif::Rows(3));
  Bytes again;
  ASSERT_TRUE(d.gif.encode(again));
  d = decodeBytes(again);
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_EQ(d.gif.pixels, Gif::Rows(3));
}

TEST_F(GifDamage, ReadBlockStaysInsideTheData) {
  std::array<uint8_t, 256> block{};
  const Bytes buf = {3, 'a', 'b', 'c', 0, 9, 1};
  EXPECT_EQ(Gif::readBlock(0, buf, block), 3);
  EXPECT_EQ(block[2], 'c');
  EXPECT_EQ(Gif::readBlock(4, buf, block), 0);
  EXPECT_THROW(Gif::readBlock(5, buf, block), base::FormatError);
  EXPECT_THROW(Gif::readBlock(7, buf, block), base::FormatError);
}

TEST_F(GifDamage, ExtensionsAreReadOrSkipped) {
  const Bytes extras = {
      0x00,                                            // a stray byte
      0x21, 0xFE, 3,  'a',  'b', 'c', 2, 'd', 'e', 0,  // comment in two blocks
      0x21, 0xF9, 4,  0x09, 7,   1,   3, 0,            // disposal 2, delay 263, index 3
      0x21, 0x01, 12, 0,    0,   0,   0, 0,   0,   0, 0, 0, 0, 0, 0, 0,  // plain text
  };
  Decoded d = decodeBytes(inserted(kTableEnd, extras));
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_EQ(d.gif.pixels, image.pixels);
  EXPECT_EQ(d.gif.dispose, 2);
  EXPECT_EQ(d.gif.delay, 263);
  EXPECT_EQ(d.gif.transparency_index, 3);

  // Without its transparency bit the index is not taken.
  d = decodeBytes(inserted(kTableEnd, {0x21, 0xF9, 4, 0x08, 0, 0, 3, 0}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.gif.transparency_index, -1);
}

TEST_F(GifDamage, GlobalTableSizeFollowsTheScreenDescriptor) {
  // GIF87a with a table of 4 entries (12 bytes) and an image of 4 colours.
  Gif small = image;
  small.pix.clear();
  for (auto& row : small.pixels)
    for (auto& p : row) small.pix.push_back(p &= 3);
  Bytes b(good.begin(), good.begin() + 13 + 12);
  b[4] = '7';
  b[10] = 0x81;
  b.insert(b.end(), {0x2C, 0, 0, 0, 0, 4, 0, 3, 0, 0});
  ASSERT_TRUE(small.encodePixels(b));
  Decoded d = decodeBytes(b);
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_EQ(d.gif.global_colors, 4);
  EXPECT_EQ(d.gif.colormap, Bytes(good.begin() + 13, good.begin() + 25));
  EXPECT_EQ(d.gif.pixels, small.pixels);

  // No global table at all: the colour table stays empty.
  b[10] = 0x00;
  b.erase(b.begin() + 13, b.begin() + 25);
  d = decodeBytes(b);
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_TRUE(d.gif.colormap.empty());
  EXPECT_EQ(d.gif.pixels, small.pixels);
}

}  // namespace
