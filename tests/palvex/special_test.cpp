// The special maps, the bit-field copier with its self-test, and the
// clustering of palettes.
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/modes/AutoCombining.h"
#include "palvex/quant/Clustering.h"
#include "palvex/special/BitCopier.h"
#include "palvex/special/CopierSelfTest.h"
#include "palvex/special/SpecialMaps.h"
#include "testing/Fixtures.h"

namespace palvex {
namespace {

using special::BitCopier;
using special::SpecialMaps;
using testing_support::StdoutCapture;

std::vector<uint8_t> streamOf(const std::vector<uint8_t>& codes, int row = 0, int rows = 1,
                              int passes = 0) {
  std::vector<uint8_t> out(codes.size());
  SpecialMaps::streamRow(codes, row, rows, passes, out);
  return out;
}

TEST(PalvexBump, AFlatImageGivesZeroAndSlopesGiveSignedBytes) {
  const Image flat = testing::flat(8, 3, 90, 140, 30);
  EXPECT_EQ(SpecialMaps::bump(flat, 1024), std::vector<uint8_t>(24, 0));

  // L = 0.3 R + 0.5 G + 0.2 B: 100 and 0; neighbour wraps at the width.
  const Image two = testing::imageOf(2, 1, {100, 100, 100, 0, 0, 0});
  EXPECT_EQ(SpecialMaps::bump(two, 1.0f), (std::vector<uint8_t>{50, 256 - 50}));
  // 1.5 × 100 × 0.5 = 75; clamped at 127 and −128.
  EXPECT_EQ(SpecialMaps::bump(two, 1.5f), (std::vector<uint8_t>{75, 256 - 75}));
  EXPECT_EQ(SpecialMaps::bump(two, 10.0f), (std::vector<uint8_t>{127, 128}));
  // Truncation toward zero: 0.3 × 0.5 = 0.15 → 0 either way.
  const Image faint = testing::imageOf(2, 1, {1, 0, 0, 0, 0, 0});
  EXPECT_EQ(SpecialMaps::bump(faint, 1.0f), (std::vector<uint8_t>{0, 0}));
  // Width 3 is no power of two: column 1's neighbour is (2 AND 2) = 2,
  // column 2's is (3 AND 2) = 2 itself.
  const Image three = testing::imageOf(3, 1, {0, 0, 0, 0, 0, 0, 200, 200, 200});
  EXPECT_EQ(SpecialMaps::bump(three, 1.0f), (std::vector<uint8_t>{0, 156, 0}));

  const Palette p = SpecialMaps::bumpPalette();
  EXPECT_EQ(p.size, 256);
  EXPECT_EQ(p.entries[10], (std::array<uint8_t, 4>{20, 10, 20, 0}));
  EXPECT_EQ(p.entries[245], (std::array<uint8_t, 4>{10, 20, 20, 0}));
  EXPECT_EQ(p.entries[128], (std::array<uint8_t, 4>{127, 254, 254, 0}));
}

TEST(PalvexStream, EachCodeGivesItsValue) {
  // Row 3 of 8, width 10: W·r ÷ H = 3.
  const std::vector<uint8_t> codes{0, 1, 2, 3, 7, 15, 16, 255, 0, 0};
  EXPECT_EQ(streamOf(codes, 3, 8), (std::vector<uint8_t>{0, 3, 7, 6, 1, 9, 250, 9, 0, 0}));
  // Code 4: a run from column 1 with 3 continuations: −i − (i − 1)·(−256) ÷ 3.
  const std::vector<uint8_t> four{0, 4, 4, 4, 4, 0};
  std::vector<uint8_t> want(6, 0);
  for (int i = 1; i <= 4; ++i) want[i] = static_cast<uint8_t>(-i + (i - 1) * 256 / 3);
  EXPECT_EQ(streamOf(four), want);
  // Codes 5 and 6 with the (−128) scale; code 6 subtracts 128 more.
  const std::vector<uint8_t> five{5, 5, 6, 6, 6};
  EXPECT_EQ(streamOf(five), (std::vector<uint8_t>{0, 127, 126, 189, 252}));
}

TEST(PalvexStream, RunsWrapAndLoneCodesHaveNoContinuation) {
  // The left neighbour of column 0 is the last pixel: the run of 4 starts at
  // column 2, and columns 0 and 3 continue it (cont = 2).
  const std::vector<uint8_t> wrap{4, 0, 4, 4};
  EXPECT_EQ(streamOf(wrap), (std::vector<uint8_t>{static_cast<uint8_t>(0 - (0 - 2) * -256 / 2), 0,
                                                  static_cast<uint8_t>(-2), 125}));
  // A row whose every code 4 pixel starts a run has no continuation: the
  // term is left out, −i stays.
  const std::vector<uint8_t> lone{4, 0, 4, 0};
  EXPECT_EQ(streamOf(lone), (std::vector<uint8_t>{0, 0, 254, 0}));
  // No run start at all (the whole row is code 4): 0.
  EXPECT_EQ(streamOf({4, 4, 4}), (std::vector<uint8_t>{0, 0, 0}));
}

TEST(PalvexStream, SmoothingPassesAverageWithTheRightNeighbour) {
  // Values 10 (code 1 at row 1 of 1 with W = 10) and 0 alternate.
  const std::vector<uint8_t> codes{1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
  const auto once = streamOf(codes, 1, 1, 1);
  EXPECT_EQ(once, std::vector<uint8_t>(10, 5));
  // A jump of 128 or more keeps the value: (2h) ÷ 2.
  const std::vector<uint8_t> jump{3, 0};  // 2 − 0 − 1 = 1, then 0
  EXPECT_EQ(streamOf(jump, 0, 1, 1), (std::vector<uint8_t>{0, 0}));
  const std::vector<uint8_t> big{7, 0};  // 7 + 2 − 16 = 249, 0
  EXPECT_EQ(streamOf(big, 0, 1, 1), (std::vector<uint8_t>{249, 0}));
  EXPECT_EQ(streamOf(big, 0, 1, 2), (std::vector<uint8_t>{249, 0}));
}

TEST(PalvexPaletteSmoothing, PlateausBecomeRampsToTheValueThatEndsThem) {
  Palette p = SpecialMaps::greyRamp();
  for (int i = 1; i <= 4; ++i) p.set(i, 10, 7, 0);
  p.set(5, 50, 8, 0);
  for (int i = 6; i < 256; ++i) p.set(i, 50, 8, 0);
  p.set(0, 99, 99, 99);
  SpecialMaps::smoothPalette(p);
  EXPECT_EQ(p.entries[0][0], 99);  // entry 0 is left alone
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(p.entries[i][0], 10 * i) << i;
  // 7 → 8 over four entries: 7, 7.25, 7.5, 7.75 rounded with +0.5.
  EXPECT_EQ(p.entries[1][1], 7);
  EXPECT_EQ(p.entries[2][1], 7);
  EXPECT_EQ(p.entries[3][1], 8);
  EXPECT_EQ(p.entries[4][1], 8);
  // The plateau reaching entry 255 stays flat.
  EXPECT_EQ(p.entries[200][0], 50);
  EXPECT_EQ(p.entries[255][0], 50);
  // Already distinct values are unchanged.
  Palette ramp = SpecialMaps::greyRamp();
  SpecialMaps::smoothPalette(ramp);
  EXPECT_EQ(ramp.entries, SpecialMaps::greyRamp().entries);
}

TEST(PalvexPicturesInTrueColour, ThresholdAndMaskPainting) {
  Image im = testing::imageOf(3, 1, {127, 127, 127, 128, 128, 128, 255, 0, 0});
  SpecialMaps::threshold(im, 0.5f);  // below 127.5 becomes black
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{0, 0, 0, 128, 128, 128, 0, 0, 0}));
  im.maskPlane = {0, 254, 255};
  im.maskColour = {1, 2, 3};
  SpecialMaps::paintMask(im);
  EXPECT_EQ(im.pixels, (std::vector<uint8_t>{0, 0, 0, 1, 2, 3, 1, 2, 3}));
  const auto ramp = SpecialMaps::paletteRamp();
  ASSERT_EQ(ramp.size(), 256u * 32u);
  EXPECT_EQ(ramp[256 * 5 + 77], 77);
}

TEST(PalvexBitCopier, EveryOffsetAndLengthUpTo64BitsMatchesTheReference) {
  std::mt19937 gen(5);
  std::vector<uint8_t> src(24);
  for (auto& b : src) b = static_cast<uint8_t>(gen());
  std::vector<uint8_t> start(24);
  for (auto& b : start) b = static_cast<uint8_t>(gen());
  for (size_t bits = 0; bits <= 64; ++bits) {
    for (size_t s = 0; s < 16; ++s) {
      for (size_t d = 0; d < 16; ++d) {
        auto want = start;
        auto a = start;
        auto b = start;
        ASSERT_TRUE(BitCopier::copyReference(want, d, src, s, bits));
        ASSERT_TRUE(BitCopier::copy(a, d, src, s, bits));
        ASSERT_TRUE(BitCopier::copyBytewise(b, d, src, s, bits));
        ASSERT_EQ(a, want) << bits << " bits from " << s << " to " << d;
        ASSERT_EQ(b, want) << bits << " bits from " << s << " to " << d;
      }
    }
  }
  // The reference itself: bit 3 of byte 0 to bit 9.
  std::vector<uint8_t> one{0x08, 0x00};
  std::vector<uint8_t> out{0x00, 0x00};
  BitCopier::copyReference(out, 9, one, 3, 1);
  EXPECT_EQ(out, (std::vector<uint8_t>{0x00, 0x02}));
}

TEST(PalvexBitCopier, FieldsAtTheVeryEndAreCopiedAndFieldsBeyondItRefused) {
  const std::vector<uint8_t> src{0xFF, 0xFF, 0xFF, 0xFF};
  std::vector<uint8_t> dst(4, 0);
  EXPECT_TRUE(BitCopier::copy(dst, 0, src, 0, 32));
  EXPECT_EQ(dst, src);
  dst.assign(4, 0);
  EXPECT_TRUE(BitCopier::copy(dst, 29, src, 27, 3));
  EXPECT_EQ(dst, (std::vector<uint8_t>{0, 0, 0, 0xE0}));
  EXPECT_FALSE(BitCopier::copy(dst, 30, src, 0, 3));
  EXPECT_FALSE(BitCopier::copy(dst, 0, src, 30, 3));
  EXPECT_FALSE(BitCopier::copyBytewise(dst, 33, src, 0, 0));
  EXPECT_FALSE(BitCopier::copyReference(dst, 0, src, 0, 33));
}

TEST(PalvexBitCopier, TheSelfTestPrintsItsLinesAndFindsNoErrors) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  double now = 0;
  StdoutCapture cap;
  const int wrong =
      special::CopierSelfTest::run([&] { return uniform(gen); }, [&] { return now += 0.5; }, 40, 1);
  const std::string out = cap.text();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(out.rfind("TESTING bit copy routines.  Initializing...\n Time:  0.500000 \n", 0), 0u)
      << out;
  EXPECT_NE(out.find("Random tests done. Time:  1.000000 \n"), std::string::npos) << out;
  EXPECT_NE(out.find("Starting Gruelling test of copier A: Time:  1.500000 \n"), std::string::npos);
  EXPECT_NE(out.find("A-Time: 500  \n"), std::string::npos);
  EXPECT_NE(out.find("A-Time: 500  B-Time: 500 C-Time: 500      xxx  0 \n"), std::string::npos);
  EXPECT_EQ(out.find("Error in byte"), std::string::npos);
}

quant::PaletteSummary summaryOf(std::vector<std::array<uint8_t, 3>> colours,
                                std::vector<float> weights) {
  return {std::move(colours), std::move(weights)};
}

TEST(PalvexClustering, TheDistanceOfTwoTinySummaries) {
  const auto a = summaryOf({{0, 0, 0}, {30, 0, 0}}, {0.25f, 0.75f});
  const auto b = summaryOf({{0, 0, 40}}, {1.0f});
  // a → b: 0.25 × 1600 + 0.75 × (900 + 1600) = 2275; b → a: 1600.
  EXPECT_DOUBLE_EQ(quant::Clustering::distance(a, b), std::sqrt(2275.0) / 3);
  EXPECT_DOUBLE_EQ(quant::Clustering::distance(b, a), 40.0 / 3);
  EXPECT_EQ(quant::Clustering::distance(quant::PaletteSummary{}, b), 0.0);
  EXPECT_DOUBLE_EQ(quant::Clustering::distance(b, quant::PaletteSummary{}), std::sqrt(1e25) / 3);
  const auto m = quant::Clustering::matrix({a, b});
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(*m,
            (std::vector<float>{0, static_cast<float>(40.0 / 3), static_cast<float>(40.0 / 3), 0}));
}

// Files on a line at the given positions: distance |x − y|.
quant::Clustering onALine(const std::vector<float>& at) {
  const size_t n = at.size();
  std::vector<float> m(n * n);
  for (size_t a = 0; a < n; ++a)
    for (size_t b = 0; b < n; ++b) m[a * n + b] = std::fabs(at[a] - at[b]);
  return quant::Clustering(m, static_cast<int>(n));
}

TEST(PalvexClustering, CompleteLinkageAndTheTwoTieRules) {
  // Ties: pairs (0,1) and (2,3) are both at 1. The first pair wins for
  // -error, the later for -auto.
  auto c = onALine({0, 1, 10, 11});
  EXPECT_EQ(c.closest(false).i, 0);
  EXPECT_EQ(c.closest(false).j, 1);
  EXPECT_EQ(c.closest(true).i, 2);
  EXPECT_EQ(c.closest(true).j, 3);
  // Merging 0 into 1: the last cluster takes number 0.
  c.merge(c.closest(false));
  ASSERT_EQ(c.count(), 3);
  EXPECT_EQ(c.clusters()[0], (std::vector<int>{3}));
  EXPECT_EQ(c.clusters()[1], (std::vector<int>{1, 0}));
  // Complete linkage: cluster {1, 0} to {2} is the larger of 9 and 10.
  EXPECT_FLOAT_EQ(c.linkage(1, 2), 10);
  // When j is the last cluster, its members move to number i.
  auto d = onALine({0, 5, 6});
  d.merge(d.closest(true));
  EXPECT_EQ(d.clusters()[1], (std::vector<int>{2, 1}));
  EXPECT_EQ(d.count(), 2);
}

TEST(PalvexClustering, EncouragingLinesByFileCount) {
  EXPECT_STREQ(modes::AutoCombining::encouragement(10), "");
  EXPECT_STREQ(modes::AutoCombining::encouragement(11), "(just a sec.)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(30), "(just a sec.)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(31), "(bear with me...)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(51), "(please be patient...)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(71), "(go grab a cup of coffee...)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(101), "(see you tomorrow...)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(121), "(don't rush me! this is difficult...)");
  EXPECT_STREQ(modes::AutoCombining::encouragement(141), "(woohoo! see you next millennium...)");
}

}  // namespace
}  // namespace palvex
