// The colour engine: sampling, depth adaptation, merging, palette building
// and sorting, and mapping.
#include <cmath>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Merger.h"
#include "palvex/quant/PaletteBuilder.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Sampler.h"
#include "palvex/testing/Fixtures.h"

namespace palvex::quant {
namespace {

using palvex::testing::flat;
using palvex::testing::imageOf;
using testing_support::StdoutCapture;

// An image whose pixels are the given colours, one pixel each, in a row.
Image rowOf(const std::vector<std::array<uint8_t, 3>>& colours) {
  std::vector<uint8_t> px;
  for (const auto& c : colours) px.insert(px.end(), c.begin(), c.end());
  return imageOf(static_cast<int32_t>(colours.size()), 1, px);
}

std::vector<std::array<uint8_t, 3>> distinctColours(int n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::set<std::array<uint8_t, 3>> seen;
  std::vector<std::array<uint8_t, 3>> out;
  while (static_cast<int>(out.size()) < n) {
    std::array<uint8_t, 3> c = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                                static_cast<uint8_t>(rng())};
    if (seen.insert(c).second) out.push_back(c);
  }
  return out;
}

Palette quantizeImage(Image& im, const cli::Settings& s, int target, bool reserved = false) {
  Sampler sampler(s);
  sampler.sample(im, s.depths, s.mipLimit);
  StdoutCapture quiet;
  return Quantizer::quantize(sampler, target, reserved, s);
}

// --- sampling ---

TEST(PalvexSampler, EachDistinctColourGetsABinAtFullDepth) {
  cli::Settings s;
  Image im = rowOf(distinctColours(300, 1));
  Sampler sampler(s);
  sampler.sample(im, s.depths, s.mipLimit);
  EXPECT_EQ(sampler.count(), 300);
  // The same image again adds weight, not bins.
  sampler.sample(im, s.depths, s.mipLimit);
  EXPECT_EQ(sampler.count(), 300);
  EXPECT_FLOAT_EQ(sampler.bins()[1].weight, 2.0f);
}

TEST(PalvexSampler, SamplingStopsAtTheBinCeiling) {
  cli::Settings s;
  s.binLimit = 300;
  Image im = rowOf(distinctColours(1000, 2));
  Sampler sampler(s);
  sampler.sample(im, s.depths, s.mipLimit);
  EXPECT_EQ(sampler.count(), 310);
  s.binLimit = 70000;
  EXPECT_EQ(sampler.ceiling(), 60000);
}

TEST(PalvexSampler, LowerDepthsShareBinsAndTheSecondDigitIsComponentTwo) {
  cli::Settings s;
  s.rgb = true;
  // Differ only in blue (component 2) by less than 8.
  Image im = rowOf({{100, 50, 16}, {100, 50, 20}});
  Sampler a(s);
  a.sample(im, {8, 5, 8}, 0);
  EXPECT_EQ(a.count(), 1);
  EXPECT_FLOAT_EQ(a.bins()[1].sum[2], 36.0f);
  Sampler b(s);
  b.sample(im, {8, 8, 5}, 0);
  EXPECT_EQ(b.count(), 2);
}

TEST(PalvexSampler, LumaSumsAreScaled) {
  cli::Settings s;
  Image im = flat(1, 1, 100, 100, 100);
  Sampler sampler(s);
  sampler.sample(im, s.depths, 0);
  const Bin& b = sampler.bins()[1];
  EXPECT_NEAR(b.sum[0], 100 * 2.625, 1e-3);
  EXPECT_NEAR(b.sum[1], 127.5, 1e-3);
  EXPECT_NEAR(b.sum[2], 127.5, 1e-3);
}

TEST(PalvexSampler, MipLevelsWeighByTheirScaleAndSmallLevelsKeepPixelsApart) {
  cli::Settings s;
  s.mips = true;
  Image im = flat(64, 64, 10, 200, 30);
  Sampler sampler(s);
  EXPECT_EQ(sampler.mipLevels(im, 12), 6);
  EXPECT_EQ(sampler.mipLevels(im, 2), 2);
  sampler.sample(im, s.depths, 12);
  // Level 0 (4096 px, weight 1) and levels 1, 2 (1024 and 256 px... 256 is
  // at most 512, so from level 2 on every pixel has a bin of its own).
  // Bins: 1 shared + 256 + 64 + 16 + 4 + 1 own ones.
  EXPECT_EQ(sampler.count(), 1 + 256 + 64 + 16 + 4 + 1);
  EXPECT_FLOAT_EQ(sampler.bins()[1].weight, 4096.0f + 1024 * 2);
  EXPECT_FLOAT_EQ(sampler.bins()[2].weight, 4.0f);
  EXPECT_FLOAT_EQ(sampler.bins()[sampler.count()].weight, 64.0f);
}

TEST(PalvexSampler, SizeBiasAndSmoothnessChangeTheWeights) {
  cli::Settings s;
  s.sizeBias = true;
  Image im = flat(16, 16, 90, 90, 90);
  Sampler a(s);
  a.sample(im, s.depths, 0);
  EXPECT_FLOAT_EQ(a.bins()[1].weight, 65536.0f);  // 256 pixels × 65536 / 256
  s.sizeBias = false;
  s.smooth = 10;
  Sampler b(s);
  b.sample(im, s.depths, 0);
  EXPECT_FLOAT_EQ(b.bins()[1].weight, 2560.0f);
  // Too dark to count as smooth.
  Image dark = flat(16, 16, 5, 5, 5);
  Sampler c(s);
  c.sample(dark, s.depths, 0);
  EXPECT_FLOAT_EQ(c.bins()[1].weight, 256.0f);
}

// --- depth adaptation ---

TEST(PalvexDepths, TooManyBinsLowerThirdThenSecondThenFirstDigit) {
  StdoutCapture cap;
  DepthAdapter d({8, 8, 8});
  std::vector<std::array<int, 3>> seen;
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(d.next(8000, 7000, 256));
    seen.push_back(d.depths());
  }
  EXPECT_EQ(seen, (std::vector<std::array<int, 3>>{{8, 8, 7}, {8, 7, 7}, {7, 7, 7}, {7, 7, 6}}));
  EXPECT_FALSE(d.next(7000, 7000, 256));  // fits, no raise after three passes
  EXPECT_EQ(cap.text().find("Reverting to lower sampling depth: \n"), 0u);
}

TEST(PalvexDepths, TooFewBinsRaiseInTheFirstThreePassesOnly) {
  StdoutCapture cap;
  DepthAdapter d({6, 5, 5});
  EXPECT_TRUE(d.next(100, 7000, 256));
  EXPECT_EQ(d.depths(), (std::array<int, 3>{6, 5, 6}));
  EXPECT_TRUE(d.next(100, 7000, 256));
  EXPECT_EQ(d.depths(), (std::array<int, 3>{6, 6, 6}));
  EXPECT_TRUE(d.next(100, 7000, 256));
  EXPECT_EQ(d.depths(), (std::array<int, 3>{7, 6, 6}));
  EXPECT_FALSE(d.next(100, 7000, 256));
  EXPECT_EQ(cap.text().substr(0, 37), "Reverting to higher sampling depth: \n");
  // At 8, 8, 8 nothing is raised.
  DepthAdapter full({8, 8, 8});
  EXPECT_FALSE(full.next(10, 7000, 256));
}

TEST(PalvexDepths, TheCounterEndsTheLoop) {
  StdoutCapture cap;
  DepthAdapter d({8, 8, 8});
  int passes = 1;
  while (d.next(100000, 7000, 256)) ++passes;
  EXPECT_EQ(passes, 24);
  EXPECT_EQ(d.depths(), (std::array<int, 3>{1, 1, 1}));
}

// --- merging ---

// The merge choice as stated, by brute force: the pair (a, b), a < b, of
// least cost, the lowest a and then the lowest b on ties.
void referenceMerge(std::vector<Bin>& bins, int target) {
  int count = static_cast<int>(bins.size()) - 1;
  for (int x = 1; x <= count; ++x)
    for (int k = 0; k < 3; ++k) bins[x].mean[k] = bins[x].sum[k] / bins[x].weight;
  while (count > target) {
    int a = 0, b = 0;
    float best = 0;
    for (int x = 1; x <= count; ++x)
      for (int y = x + 1; y <= count; ++y) {
        const float c = Merger::cost(bins[x], bins[y]);
        if (a == 0 || c < best) {
          best = c;
          a = x;
          b = y;
        }
      }
    for (int k = 0; k < 3; ++k) bins[b].sum[k] += bins[a].sum[k];
    bins[b].weight += bins[a].weight;
    for (int k = 0; k < 3; ++k) bins[b].mean[k] = bins[b].sum[k] / bins[b].weight;
    bins[a] = bins[count];
    bins.pop_back();
    --count;
  }
}

std::vector<Bin> randomBins(int n, uint32_t seed, bool grid) {
  std::mt19937 rng(seed);
  std::vector<Bin> bins(static_cast<size_t>(n) + 1);
  for (int i = 1; i <= n; ++i) {
    Bin& b = bins[i];
    // On a coarse grid with equal weights many costs tie exactly.
    b.weight = grid ? 1.0f : static_cast<float>(1 + rng() % 50);
    for (int k = 0; k < 3; ++k)
      b.sum[k] = b.weight * static_cast<float>(grid ? (rng() % 6) * 10 : rng() % 256);
  }
  return bins;
}

TEST(PalvexMerger, ChoosesTheSameMergesAsTheStatedRule) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    for (bool grid : {false, true}) {
      std::vector<Bin> fast = randomBins(120, seed, grid);
      std::vector<Bin> slow = fast;
      Merger::merge(fast, 17, false, false);
      referenceMerge(slow, 17);
      ASSERT_EQ(fast.size(), slow.size());
      for (size_t i = 1; i < fast.size(); ++i) {
        ASSERT_EQ(fast[i].weight, slow[i].weight) << "seed " << seed << " bin " << i;
        for (int k = 0; k < 3; ++k) ASSERT_EQ(fast[i].sum[k], slow[i].sum[k]);
      }
    }
  }
}

// The merge as a full scan: every bin's neighbour among the higher-numbered
// bins, recomputed by scanning them all whenever it may have changed.
void fullScanMerge(std::vector<Bin>& bins, int target) {
  int count = static_cast<int>(bins.size()) - 1;
  for (int x = 1; x <= count; ++x)
    for (int k = 0; k < 3; ++k) bins[x].mean[k] = bins[x].sum[k] / bins[x].weight;
  auto find = [&](int x) {
    bins[x].neighbour = 0;
    bins[x].cost = 1e30f;
    for (int y = x + 1; y <= count; ++y) {
      const float c = Merger::cost(bins[x], bins[y]);
      if (bins[x].neighbour == 0 || c < bins[x].cost) {
        bins[x].cost = c;
        bins[x].neighbour = y;
      }
    }
  };
  for (int x = 1; x <= count; ++x) find(x);
  while (count > target) {
    int a = 1;
    for (int x = 2; x <= count; ++x)
      if (bins[x].cost < bins[a].cost) a = x;
    const int b = bins[a].neighbour, h = count;
    for (int k = 0; k < 3; ++k) bins[b].sum[k] += bins[a].sum[k];
    bins[b].weight += bins[a].weight;
    for (int k = 0; k < 3; ++k) bins[b].mean[k] = bins[b].sum[k] / bins[b].weight;
    bins[a] = bins[h];
    bins.pop_back();
    --count;
    for (int x = 1; x <= count; ++x) {
      const int nb = bins[x].neighbour;
      if (x == a || x == b || nb == a || nb == b || nb == h) {
        find(x);
        continue;
      }
      for (int y : {a, b}) {
        if (y <= x || y > count) continue;
        const float c = Merger::cost(bins[x], bins[y]);
        if (c < bins[x].cost || (c == bins[x].cost && y < bins[x].neighbour)) {
          bins[x].cost = c;
          bins[x].neighbour = y;
        }
      }
    }
  }
}

// Thousands of bins whose weights span four orders of magnitude, in tight
// clusters with far outliers and exact duplicates of means: the searches
// that pass over far cells must still choose every merge as a full scan.
TEST(PalvexMerger, SkippingFarBinsChoosesAsAFullScan) {
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    std::mt19937 rng(seed);
    std::vector<Bin> bins(1);
    for (int i = 0; i < 1500; ++i) {
      Bin b;
      b.weight = static_cast<float>(std::pow(10.0, static_cast<double>(rng() % 4000) / 1000.0));
      const int cluster = static_cast<int>(rng() % 6);
      const bool outlier = rng() % 50 == 0;
      for (int k = 0; k < 3; ++k) {
        const float centre = static_cast<float>(cluster * 40 + k * 7);
        const float spread = outlier ? 255.0f : (seed == 3 ? 2.0f : 9.0f);
        const float v = (k == 0 ? 2.625f : 1.0f) *
                        (centre + spread * static_cast<float>(rng() % 1000) / 1000.0f);
        b.sum[k] = v * b.weight;
      }
      bins.push_back(b);
      if (rng() % 20 == 0) bins.push_back(b);
    }
    std::vector<Bin> slow = bins;
    Merger::merge(bins, 64, false, false);
    fullScanMerge(slow, 64);
    ASSERT_EQ(bins.size(), slow.size());
    for (size_t i = 1; i < bins.size(); ++i) {
      ASSERT_EQ(bins[i].weight, slow[i].weight) << "seed " << seed << " bin " << i;
      for (int k = 0; k < 3; ++k) ASSERT_EQ(bins[i].sum[k], slow[i].sum[k]);
    }
  }
}

TEST(PalvexMerger, MethodTwoUsesSquareRootWeightsAndKeepsTheMeans) {
  std::vector<Bin> bins(3);
  bins[1].weight = 16;
  bins[1].sum[0] = 160;
  bins[2].weight = 4;
  bins[2].sum[0] = 80;
  Merger::merge(bins, 5, true, false);
  EXPECT_FLOAT_EQ(bins[1].weight, 4.0f);
  EXPECT_FLOAT_EQ(bins[1].mean[0], 10.0f);
  EXPECT_FLOAT_EQ(bins[2].weight, 2.0f);
  EXPECT_FLOAT_EQ(bins[2].sum[0], 40.0f);
}

// --- building and sorting ---

TEST(PalvexPalette, FewerColoursThanTheTargetKeepThemAllAndGainBlack) {
  cli::Settings s;
  const auto colours = distinctColours(200, 3);
  Image im = rowOf(colours);
  const Palette p = quantizeImage(im, s, 256);
  ASSERT_EQ(p.size, 201);
  EXPECT_EQ(p.entries[0], (std::array<uint8_t, 4>{0, 0, 0, 0}));
  std::set<std::array<uint8_t, 3>> inPalette;
  for (int i = 1; i < 201; ++i)
    inPalette.insert({p.entries[i][0], p.entries[i][1], p.entries[i][2]});
  for (const auto& c : colours) EXPECT_TRUE(inPalette.count(c)) << int{c[0]} << "," << int{c[1]};
  for (int i = 201; i < 256; ++i)
    EXPECT_EQ(p.entries[i], (std::array<uint8_t, 4>{255, 255, 255, 0})) << i;
  // Sorted by 42 R + 50 G + 15 B.
  for (int i = 2; i < 201; ++i) {
    auto key = [&](int j) {
      return 42 * p.entries[j][0] + 50 * p.entries[j][1] + 15 * p.entries[j][2];
    };
    EXPECT_LE(key(i - 1), key(i));
  }
}

TEST(PalvexPalette, TwoBinsOfTheSameRoundedColourLeaveOneEntry) {
  cli::Settings s;
  s.rgb = true;
  std::vector<Bin> bins(4);
  const float means[3][3] = {{10.2f, 20, 30}, {10.4f, 20, 30}, {5, 5, 5}};
  for (int i = 0; i < 3; ++i) {
    bins[i + 1].weight = 1;
    for (int k = 0; k < 3; ++k) bins[i + 1].sum[k] = means[i][k];
  }
  Palette p = PaletteBuilder::build(bins, false, s);
  ASSERT_EQ(p.size, 4);  // black in front
  PaletteBuilder::sort(p, s);
  ASSERT_EQ(p.size, 3);
  EXPECT_EQ(p.entries[0], (std::array<uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(p.entries[1], (std::array<uint8_t, 4>{5, 5, 5, 0}));
  EXPECT_EQ(p.entries[2], (std::array<uint8_t, 4>{10, 20, 30, 0}));
  EXPECT_EQ(p.entries[3], (std::array<uint8_t, 4>{255, 255, 255, 0}));
}

TEST(PalvexPalette, AForcedMaskColourHoldsEntryZeroOutsideTheSort) {
  cli::Settings s;
  s.rgb = true;
  s.forcedColour = true;
  s.forced = {255, 0, 255};
  std::vector<Bin> bins(3);
  bins[1].weight = bins[2].weight = 1;
  bins[1].sum[0] = 200;
  bins[2].sum[1] = 3;
  Palette p = PaletteBuilder::build(bins, true, s);
  PaletteBuilder::sort(p, s);
  ASSERT_EQ(p.size, 3);
  EXPECT_EQ(p.entries[0], (std::array<uint8_t, 4>{255, 0, 255, 0}));
  EXPECT_EQ(p.entries[1], (std::array<uint8_t, 4>{0, 3, 0, 0}));
  EXPECT_EQ(p.entries[2], (std::array<uint8_t, 4>{200, 0, 0, 0}));
}

TEST(PalvexPalette, AFullPaletteGetsNoBlackEntry) {
  cli::Settings s;
  Image im = rowOf(distinctColours(3000, 4));
  const Palette p = quantizeImage(im, s, 256);
  EXPECT_GE(p.size, 250);
  EXPECT_LE(p.size, 256);
}

// --- mapping ---

Palette paletteOf(const std::vector<std::array<uint8_t, 3>>& colours) {
  Palette p;
  for (size_t i = 0; i < colours.size(); ++i)
    p.set(static_cast<int>(i), colours[i][0], colours[i][1], colours[i][2]);
  p.size = static_cast<int>(colours.size());
  return p;
}

TEST(PalvexMapper, ATieGoesToTheLowerEntryAndReservedSkipsEntryZero) {
  const Palette p = paletteOf({{10, 0, 0}, {30, 0, 0}, {20, 0, 0}});
  EXPECT_EQ(Mapper::nearest(p, 0, 20, 0, 0), 2);
  EXPECT_EQ(Mapper::nearest(p, 0, 19, 0, 0), 2);
  const Palette tie = paletteOf({{10, 0, 0}, {30, 0, 0}});
  EXPECT_EQ(Mapper::nearest(tie, 0, 20, 0, 0), 0);
  EXPECT_EQ(Mapper::nearest(tie, 1, 0, 0, 0), 1);
  // Green weighs most: a green step of 1 is worse than a blue step of 3.
  const Palette weighted = paletteOf({{0, 1, 0}, {0, 0, 3}});
  EXPECT_EQ(Mapper::nearest(weighted, 0, 0, 0, 0), 1);
}

TEST(PalvexMapper, TheOrderedSearchGivesTheAnswerOfAFullScan) {
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    // Few distinct values make many exact ties.
    const int levels = round % 2 == 0 ? 4 : 256;
    Palette p;
    p.size = 1 + static_cast<int>(rng() % 256);
    for (int i = 0; i < p.size; ++i)
      p.set(i, static_cast<uint8_t>(rng() % levels * (255 / (levels - 1))),
            static_cast<uint8_t>(rng() % levels * (255 / (levels - 1))),
            static_cast<uint8_t>(rng() % levels * (255 / (levels - 1))));
    for (int t = 0; t < 300; ++t) {
      const int r = static_cast<int>(rng() % 700) - 200, g = static_cast<int>(rng() % 700) - 200,
                b = static_cast<int>(rng() % 700) - 200;
      const int first = t % 2;
      int best = first < p.size ? first : 0;
      int64_t bestD = INT64_MAX;
      for (int i = first; i < p.size; ++i) {
        const int64_t dr = 17 * (r - p.entries[i][0]), dg = 32 * (g - p.entries[i][1]),
                      db = 9 * (b - p.entries[i][2]);
        if (dr * dr + dg * dg + db * db < bestD) {
          bestD = dr * dr + dg * dg + db * db;
          best = i;
        }
      }
      ASSERT_EQ(Mapper::nearest(p, first, r, g, b), best) << round << " " << t;
    }
  }
}

TEST(PalvexMapper, DitherFiftyDiffusesNothingAndHundredMixes) {
  cli::Settings s;
  const Palette bw = paletteOf({{0, 0, 0}, {255, 255, 255}});
  Image plain = flat(16, 16, 100, 100, 100);
  plain.output = Mapper::map(plain, bw, false, s);
  EXPECT_EQ(std::count(plain.output.indices.begin(), plain.output.indices.end(), 1), 0);
  s.dither = 50;
  Image fifty = flat(16, 16, 100, 100, 100);
  fifty.output = Mapper::map(fifty, bw, false, s);
  EXPECT_EQ(fifty.output.indices, plain.output.indices);
  s.dither = 100;
  Image full = flat(16, 16, 100, 100, 100);
  full.output = Mapper::map(full, bw, false, s);
  const auto whites = std::count(full.output.indices.begin(), full.output.indices.end(), 1);
  // 100 / 255 of the area, within the edges' losses.
  EXPECT_NEAR(static_cast<double>(whites) / 256, 100.0 / 255, 0.03);
  // Below 50 the error is taken from the original pixel, not from the
  // dithered value, so it does not balance out, but it still mixes.
  s.dither = 49;
  Image from = flat(16, 16, 100, 100, 100);
  from.output = Mapper::map(from, bw, false, s);
  const auto mixed = std::count(from.output.indices.begin(), from.output.indices.end(), 1);
  EXPECT_GT(mixed, 64);
  EXPECT_LT(mixed, 192);
  EXPECT_NE(from.output.indices, full.output.indices);
}

// Strengths above 100 fed back more error than was made, so the values grew
// without bound; they are held at 100.
TEST(PalvexMapper, DitherAbove100ActsAs100) {
  cli::Settings s;
  const Palette bw = paletteOf({{0, 0, 0}, {255, 255, 255}});
  std::vector<uint8_t> px;
  for (int i = 0; i < 64 * 64; ++i) px.insert(px.end(), {static_cast<uint8_t>(i), 90, 200});
  Image a = imageOf(64, 64, px), b = imageOf(64, 64, px);
  s.dither = 100;
  a.output = Mapper::map(a, bw, false, s);
  s.dither = 100000;
  b.output = Mapper::map(b, bw, false, s);
  EXPECT_EQ(a.output.indices, b.output.indices);
}

// A colour target of 0 or less merged until no neighbour was left, and one
// above 256 overflowed the palette; targets are held to 1..256.
TEST(PalvexPalette, TargetsOutsideTheRangeAreHeldToIt) {
  cli::Settings s;
  Image im = rowOf(distinctColours(400, 9));
  const Palette none = quantizeImage(im, s, 0);
  EXPECT_EQ(none.size, 2);  // one colour and black
  const Palette many = quantizeImage(im, s, 300);
  EXPECT_LE(many.size, 256);
  EXPECT_GE(many.size, 250);
}

// Worked by hand on 2 × 2 pixels of grey 64 with a black and white palette.
// At 100 the error of the dithered value spreads (s = 1/16): the last pixel
// reads 64 + 1275 / 16 = 143.7 and turns white. At 49 the error is taken from
// the original pixel (s = 0.98 / 16): it reads 64 + 960 × 0.06125 = 122.8.
TEST(PalvexMapper, DiffusionArithmeticOnTwoRows) {
  cli::Settings s;
  const Palette bw = paletteOf({{0, 0, 0}, {255, 255, 255}});
  s.dither = 100;
  Image a = flat(2, 2, 64, 64, 64);
  a.output = Mapper::map(a, bw, false, s);
  EXPECT_EQ(a.output.indices, (std::vector<uint8_t>{0, 0, 1, 0}));
  s.dither = 49;
  Image b = flat(2, 2, 64, 64, 64);
  b.output = Mapper::map(b, bw, false, s);
  EXPECT_EQ(b.output.indices, (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(PalvexMapper, DitherRunsLeftToRightThenRightToLeft) {
  cli::Settings s;
  s.dither = 100;
  const Palette bw = paletteOf({{0, 0, 0}, {255, 255, 255}});
  // Two rows of 128 grey: the first row starts black at the left, the
  // second (run from the right) starts at its right end.
  Image im = flat(8, 2, 128, 128, 128);
  im.output = Mapper::map(im, bw, false, s);
  EXPECT_EQ(std::vector<uint8_t>(im.output.indices.begin(), im.output.indices.begin() + 8),
            (std::vector<uint8_t>{1, 0, 1, 0, 1, 0, 1, 0}));
  EXPECT_NE(im.output.indices[15], im.output.indices[8]);
}

}  // namespace
}  // namespace palvex::quant
