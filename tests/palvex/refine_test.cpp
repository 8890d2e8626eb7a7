// -refine: k-means refinement of the palette and mapping in plain RGB.
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/cli/CommandLine.h"
#include "palvex/quant/Mapper.h"
#include "palvex/quant/Quantizer.h"
#include "palvex/quant/Refiner.h"
#include "palvex/quant/Sampler.h"
#include "palvex/testing/Fixtures.h"

namespace palvex::quant {
namespace {

using palvex::testing::imageOf;
using testing_support::StdoutCapture;
using Rgb = std::array<uint8_t, 3>;

// A w × h image of smooth gradients with noise: many more colours than 256.
Image gradient(int32_t w, int32_t h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> px;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int noise = static_cast<int>(rng() % 9) - 4;
      px.push_back(static_cast<uint8_t>(std::clamp(x * 255 / w + noise, 0, 255)));
      px.push_back(static_cast<uint8_t>(std::clamp(y * 255 / h + noise, 0, 255)));
      px.push_back(static_cast<uint8_t>(std::clamp((x + y) * 127 / (w + h) + 60, 0, 255)));
    }
  return imageOf(w, h, px);
}

// An image of `n` distinct colours, each on `repeat` pixels.
Image distinct(int n, int repeat, uint32_t seed) {
  std::mt19937 rng(seed);
  std::set<Rgb> seen;
  std::vector<uint8_t> px;
  while (static_cast<int>(seen.size()) < n) {
    const Rgb c = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                   static_cast<uint8_t>(rng())};
    if (!seen.insert(c).second) continue;
    for (int k = 0; k < repeat; ++k) px.insert(px.end(), c.begin(), c.end());
  }
  return imageOf(static_cast<int32_t>(px.size() / 3), 1, px);
}

// Quantizes and maps as the per-image mode does.
void convert(Image& im, const cli::Settings& s, int target, bool reserved) {
  StdoutCapture quiet;
  Sampler sampler(s);
  sampler.sample(im, s.depths, s.mipLimit);
  const Palette p = Quantizer::quantize(sampler, target, reserved, s);
  im.output = Mapper::map(im, p, reserved, s);
}

// Sum of squared RGB differences between the image and its mapped output.
double squaredError(const Image& im) {
  double sum = 0;
  for (size_t i = 0; i < im.output.indices.size(); ++i) {
    const auto& e = im.output.palette.entries[im.output.indices[i]];
    for (size_t k = 0; k < 3; ++k) {
      const double d = static_cast<double>(im.pixels[i * 3 + k]) - e[k];
      sum += d * d;
    }
  }
  return sum;
}

cli::Settings refining() {
  cli::Settings s;
  s.refine = true;
  return s;
}

TEST(PalvexRefine, TheSwitchIsLastAndChangesNoEarlierAbbreviation) {
  using cli::CommandLine;
  const int refine = CommandLine::entries() - 1;
  ASSERT_EQ(CommandLine::keyword(refine), "refine");
  for (int e = 0; e < refine; ++e) {
    const std::string_view k = CommandLine::keyword(e);
    for (size_t n = 1; n <= k.size(); ++n) EXPECT_LT(CommandLine::match(k.substr(0, n)), refine);
  }
  EXPECT_EQ(CommandLine::match("refi"), refine);
  EXPECT_EQ(CommandLine::match("REFINE"), refine);
  EXPECT_EQ(CommandLine::match("ref"), -1);
  EXPECT_EQ(CommandLine::keyword(CommandLine::match("refd")), "refdir");
  EXPECT_FALSE(CommandLine::parse({}).refine);
  EXPECT_TRUE(CommandLine::parse({"-refi"}).refine);
}

TEST(PalvexRefine, LowersTheErrorOfTheDesignedPaletteAndMapping) {
  for (const bool rgb : {false, true}) {
    SCOPED_TRACE(rgb);
    cli::Settings designed;
    designed.rgb = rgb;
    cli::Settings refined = designed;
    refined.refine = true;
    Image a = gradient(96, 64, 3), b = gradient(96, 64, 3);
    convert(a, designed, 32, false);
    convert(b, refined, 32, false);
    EXPECT_LT(squaredError(b), squaredError(a) * 0.9);
  }
}

TEST(PalvexRefine, AtMost256ColoursStayLossless) {
  // Many pixels of each colour: single-precision sums of the sampling space
  // drift, so the designed palette is not exact; the refined one is.
  struct Case {
    int colours, repeat;
  };
  for (const Case c : {Case{200, 3}, Case{255, 3}, Case{256, 3}, Case{150, 440}}) {
    for (const bool rgb : {false, true}) {
      for (const int dither : {0, 100}) {
        SCOPED_TRACE(::testing::Message()
                     << c.colours << " x " << c.repeat << ", rgb " << rgb << ", dither " << dither);
        cli::Settings s = refining();
        s.rgb = rgb;
        s.dither = dither;
        Image im = distinct(c.colours, c.repeat, static_cast<uint32_t>(c.colours));
        convert(im, s, 256, false);
        EXPECT_EQ(squaredError(im), 0.0);
      }
    }
  }
}

TEST(PalvexRefine, TheSameInputGivesTheSameOutput) {
  cli::Settings s = refining();
  s.dither = 100;
  Image a = gradient(64, 48, 9), b = gradient(64, 48, 9);
  convert(a, s, 64, false);
  convert(b, s, 64, false);
  EXPECT_EQ(a.output.indices, b.output.indices);
  EXPECT_EQ(a.output.palette.entries, b.output.palette.entries);
  EXPECT_EQ(a.output.palette.size, b.output.palette.size);
}

TEST(PalvexRefine, EntriesTheDesignFixesStayAndReservedEntryZeroTakesNoPixel) {
  // A forced mask colour, an entry 0 kept for masked pixels, and black
  // added before fewer colours than 256.
  struct Case {
    const char* name;
    bool forced;
    bool reserved;
    Rgb zero;
  };
  for (const Case& c :
       {Case{"pinkmask", true, true, {255, 0, 255}}, Case{"reserved", false, true, {0, 0, 0}},
        Case{"black", false, false, {0, 0, 0}}}) {
    SCOPED_TRACE(c.name);
    cli::Settings s = refining();
    if (c.forced) {
      s.forcedColour = true;
      s.forced = c.zero;
    }
    // Dark colours that would pull a free entry 0 towards them.
    std::vector<uint8_t> px;
    for (int i = 0; i < 600; ++i) {
      px.push_back(static_cast<uint8_t>(i % 40 + 5));
      px.push_back(static_cast<uint8_t>(i % 23 + 3));
      px.push_back(static_cast<uint8_t>(i * 7 % 250));
    }
    Image im = imageOf(600, 1, px);
    convert(im, s, 255, c.reserved);
    const auto& e = im.output.palette.entries[0];
    EXPECT_EQ((Rgb{e[0], e[1], e[2]}), c.zero);
    if (c.reserved) {
      for (uint8_t i : im.output.indices) ASSERT_NE(i, 0);
    }
  }
}

TEST(PalvexRefine, RefinerRoundsKeepFixedEntriesAndAnExactPalette) {
  std::vector<Refiner::Colour> colours;
  auto add = [&](double r, double g, double b, double w) {
    Refiner::Colour c;
    c.rgb[0] = r;
    c.rgb[1] = g;
    c.rgb[2] = b;
    c.weight = w;
    colours.push_back(c);
  };
  add(10, 10, 10, 1);
  add(20, 20, 20, 3);
  add(200, 0, 0, 1);
  add(220, 0, 0, 1);
  Palette p;
  p.set(0, 12, 12, 12);  // fixed, though the dark colours would move it
  p.set(1, 100, 100, 100);
  p.set(2, 0, 0, 255);  // serves nothing at first
  p.size = 3;
  Refiner::refine(p, colours, 1, 0);
  EXPECT_EQ(p.entries[0], (std::array<uint8_t, 4>{12, 12, 12, 0}));
  // Entry 2 took the worst-served red, so each red has an entry of its own.
  EXPECT_EQ(p.entries[1], (std::array<uint8_t, 4>{200, 0, 0, 0}));
  EXPECT_EQ(p.entries[2], (std::array<uint8_t, 4>{220, 0, 0, 0}));

  // A palette that holds every colour exactly is left as it is.
  Palette exact;
  exact.set(0, 10, 10, 10);
  exact.set(1, 20, 20, 20);
  exact.set(2, 200, 0, 0);
  exact.set(3, 220, 0, 0);
  exact.size = 4;
  const Palette before = exact;
  Refiner::refine(exact, colours, 0, 0);
  EXPECT_EQ(exact.entries, before.entries);
}

TEST(PalvexRefine, MappingUsesPlainRgbWithTheLowerEntryOnTies) {
  Palette p;
  p.set(0, 0, 0, 0);
  p.set(1, 9, 5, 0);
  p.size = 2;
  cli::Settings designed, refined = refining();
  // (0, 5, 0): plain distances 25 and 81; weighted 32² · 25 and 17² · 81.
  Image a = imageOf(1, 1, {0, 5, 0}), b = imageOf(1, 1, {0, 5, 0});
  a.output = Mapper::map(a, p, false, designed);
  b.output = Mapper::map(b, p, false, refined);
  EXPECT_EQ(a.output.indices[0], 1);
  EXPECT_EQ(b.output.indices[0], 0);
  // Equal plain distances: the lower index.
  Palette tie;
  tie.set(0, 10, 0, 0);
  tie.set(1, 0, 10, 0);
  tie.size = 2;
  Image t = imageOf(1, 1, {5, 5, 0});
  t.output = Mapper::map(t, tie, false, refined);
  EXPECT_EQ(t.output.indices[0], 0);
}

}  // namespace
}  // namespace palvex::quant
