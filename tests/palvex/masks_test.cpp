// Mask colour detection, the mask plane, scaling to levels and reference
// sizes.
#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/files/ImageFiles.h"
#include "palvex/masks/MaskDetector.h"
#include "palvex/masks/RefSizes.h"
#include "palvex/masks/Scaler.h"
#include "palvex/quant/Mapper.h"
#include "palvex/testing/Fixtures.h"
#include "platform/FileSystem.h"

namespace palvex::masks {
namespace {

using palvex::testing::flat;
using palvex::testing::imageOf;
using testing_support::StdoutCapture;
using testing_support::TestDir;

// A 128 × 128 image whose first `keyPixels` pixels (row-major) are the key
// colour, then `secondPixels` of a second candidate, the rest dark grey.
Image voting(int keyPixels, int secondPixels, std::array<uint8_t, 3> key) {
  Image im = flat(128, 128, 40, 40, 40);
  for (int i = 0; i < keyPixels + secondPixels; ++i) {
    const auto c = i < keyPixels ? key : std::array<uint8_t, 3>{250, 250, 100};
    std::copy(c.begin(), c.end(), im.pixels.begin() + i * 3);
  }
  return im;
}

TEST(PalvexMaskDetection, CandidateRules) {
  EXPECT_TRUE(MaskDetector::isCandidate(255, 0, 255));
  EXPECT_TRUE(MaskDetector::isCandidate(0, 255, 0));       // pure green can be one
  EXPECT_FALSE(MaskDetector::isCandidate(0, 0, 255));      // pure blue never
  EXPECT_FALSE(MaskDetector::isCandidate(255, 0, 0));      // pure red never
  EXPECT_FALSE(MaskDetector::isCandidate(255, 255, 255));  // all three bright
  EXPECT_FALSE(MaskDetector::isCandidate(200, 200, 200));  // none above 200
  EXPECT_FALSE(MaskDetector::isCandidate(50, 150, 230));   // light blue
  EXPECT_TRUE(MaskDetector::isCandidate(100, 150, 230));
}

TEST(PalvexMaskDetection, TheWinnerNeedsThreeTimesTheRunnerUpAndMoreThan409) {
  cli::Settings s;
  Image taken = voting(410, 136, {0, 255, 0});
  MaskDetector::detect(taken, s);
  EXPECT_TRUE(taken.maskFound);
  EXPECT_EQ(taken.maskColour, (std::array<uint8_t, 3>{0, 255, 0}));
  Image close = voting(410, 137, {0, 255, 0});
  MaskDetector::detect(close, s);
  EXPECT_FALSE(close.maskFound);
  Image few = voting(409, 0, {0, 255, 0});
  MaskDetector::detect(few, s);
  EXPECT_FALSE(few.maskFound);
}

TEST(PalvexMaskDetection, PinkScreenTakesPinkEvenWhenItIsSmall) {
  cli::Settings s;
  Image small = voting(50, 40, {255, 0, 255});
  MaskDetector::detect(small, s);
  EXPECT_FALSE(small.maskFound);
  s.pinkScreen = true;
  MaskDetector::detect(small, s);
  EXPECT_TRUE(small.maskFound);
  EXPECT_EQ(small.maskColour, (std::array<uint8_t, 3>{255, 0, 255}));
}

TEST(PalvexMaskPlane, ExactColourAndTolerance) {
  cli::Settings s;
  s.tolerance = 0.0f;
  Image im = imageOf(4, 1, {255, 0, 255, 254, 1, 255, 240, 20, 230, 10, 200, 10});
  im.maskColour = {255, 0, 255};
  MaskDetector::buildPlane(im, s);
  EXPECT_EQ(im.maskPlane, (std::vector<uint8_t>{255, 255, 0, 0}));
  EXPECT_EQ(im.pixels[3], 0);  // masked pixels are painted black
  s.tolerance = 0.3f;
  Image near = imageOf(4, 1, {255, 0, 255, 254, 1, 255, 240, 20, 230, 10, 200, 10});
  near.maskColour = {255, 0, 255};
  MaskDetector::buildPlane(near, s);
  EXPECT_EQ(near.maskPlane, (std::vector<uint8_t>{255, 255, 254, 0}));
}

TEST(PalvexMaskPlane, AForcedColourWithoutToleranceIsTheMaskColour) {
  cli::Settings s;
  s.masking = s.forcedColour = true;
  s.forced = {128, 128, 128};
  s.tolerance = 0.0f;
  Image im = imageOf(2, 1, {128, 128, 128, 128, 128, 129});
  MaskDetector::prepare(im, s);
  EXPECT_TRUE(im.maskFound);
  EXPECT_EQ(im.maskPlane, (std::vector<uint8_t>{255, 255}));
}

TEST(PalvexScaler, DivisorsRoundTheInverseAndNeverFallBelowOne) {
  EXPECT_EQ(Scaler::divisor(1.0f), 1);
  EXPECT_EQ(Scaler::divisor(0.5f), 2);
  EXPECT_EQ(Scaler::divisor(0.3f), 3);
  EXPECT_EQ(Scaler::divisor(3.0f), 1);   // round(1/3) would be 0
  EXPECT_EQ(Scaler::divisor(-0.5f), 1);  // and this -2
}

TEST(PalvexScaler, BoxMeansRoundToNearest) {
  cli::Settings s;
  s.scaleX = s.scaleY = 0.3f;
  // 7 × 3: one level pixel of 3 × 3 per box; the 7th column is not used.
  std::vector<uint8_t> px;
  for (int i = 0; i < 21; ++i) px.insert(px.end(), {static_cast<uint8_t>(i), 0, 255});
  Image im = imageOf(7, 3, px);
  LevelImage lv = Scaler::scaleToLevel(im, 0, s);
  ASSERT_EQ(lv.width, 2);
  ASSERT_EQ(lv.height, 1);
  // Box 0: columns 0-2 of rows 0-2: 0 1 2 7 8 9 14 15 16, mean 8.
  EXPECT_EQ(lv.pixels[0], 8);
  EXPECT_EQ(lv.pixels[4], 11);
  EXPECT_EQ(lv.pixels[6], 255);
  // Level 1 halves the level size: one pixel, box 7 × 3.
  lv = Scaler::scaleToLevel(im, 1, s);
  EXPECT_EQ(lv.width, 1);
  EXPECT_EQ(lv.pixels[0], 10);
}

TEST(PalvexScaler, FatMaskThresholdDecidesHalfMaskedBoxes) {
  cli::Settings s;
  s.scaleX = s.scaleY = 0.5f;
  s.masking = true;
  Image base = imageOf(2, 2, {10, 20, 30, 0, 0, 0, 0, 0, 0, 50, 60, 70});
  base.maskPlane = {0, 255, 255, 0};
  Image im = base;
  LevelImage lv = Scaler::scaleToLevel(im, 0, s);
  EXPECT_EQ(lv.mask, (std::vector<uint8_t>{255}));
  EXPECT_EQ(lv.pixels[0], 0);
  s.fatMask = 0.5f;
  im = base;
  lv = Scaler::scaleToLevel(im, 0, s);
  EXPECT_EQ(lv.mask, (std::vector<uint8_t>{0}));
  EXPECT_EQ(lv.pixels[0], 30);  // mean of the two kept pixels only
  EXPECT_EQ(lv.pixels[2], 50);
}

TEST(PalvexScaler, AReferenceSizeDictatesTheDivisors) {
  cli::Settings s;
  Image im = flat(64, 32, 1, 2, 3);
  im.refWidth = 16;
  im.refHeight = 16;
  LevelImage lv = Scaler::scaleToLevel(im, 0, s);
  EXPECT_EQ(lv.width, 16);
  EXPECT_EQ(lv.height, 16);
  // A reference larger than the image gives divisors of 1, not 0.
  im.refWidth = 128;
  im.refHeight = 128;
  lv = Scaler::scaleToLevel(im, 0, s);
  EXPECT_EQ(lv.width, 64);
}

TEST(PalvexMasking, MaskedPixelsMapToEntryZeroAndOthersNever) {
  cli::Settings s;
  s.masking = s.forcedColour = true;
  s.forced = {255, 0, 255};
  s.tolerance = 0.0f;
  // Pink, black (nearest to entry 0 but unmasked), white.
  Image im = imageOf(3, 1, {255, 0, 255, 0, 0, 0, 255, 255, 255});
  Palette p;
  p.set(0, 0, 0, 0);
  p.set(1, 20, 20, 20);
  p.set(2, 250, 250, 250);
  p.size = 3;
  im.output = quant::Mapper::map(im, p, true, s);
  EXPECT_EQ(im.output.indices, (std::vector<uint8_t>{0, 1, 2}));
}

TEST(PalvexRefSizes, NamesAndSizes) {
  // The reference folder and the name are joined with the platform's separator.
  const std::string sep(1, platform::kSeparator);
  EXPECT_EQ(RefSizes::referenceName("ref", "stone.BMP"), "ref" + sep + "stone.pcx");
  EXPECT_EQ(RefSizes::referenceName("ref", "stone.tga"), "ref" + sep + "stone.tga");
  TestDir dir;
  dir.mkdir("ref");
  Image small;
  small.output.width = 4;
  small.output.height = 2;
  small.output.indices.assign(8, 1);
  small.outputName = dir / "ref/a.pcx";
  {
    StdoutCapture quiet;
    ASSERT_TRUE(files::ImageFiles::writeIndexed(small.output, small.outputName,
                                                files::OutputFormat::kPcx, false));
  }
  std::vector<Image> records(2);
  records[0].spareName = "a.bmp";
  records[0].inputName = "a.bmp";
  records[1].spareName = records[1].inputName = "b.tga";
  cli::Settings s;
  s.refDir = dir / "ref";
  StdoutCapture cap;
  RefSizes::read(records, s);
  RefSizes::reportMissing(records);
  EXPECT_EQ(records[0].refWidth, 4);
  EXPECT_EQ(records[0].refHeight, 2);
  EXPECT_EQ(records[1].refWidth, 0);
  const std::string out = cap.text();
  EXPECT_NE(out.find("PCX file read. Using destination sizes from old PCX file:  4 x 2 \n"),
            std::string::npos);
  EXPECT_NE(
      out.find("Could not find reference PCX for:  b.tga  from  " + s.refDir + sep + "b.tga \n"),
      std::string::npos);
  EXPECT_NE(out.find(" FOUND NO MATCHING .PCX file for: b.tga \n"), std::string::npos);
}

}  // namespace
}  // namespace palvex::masks
