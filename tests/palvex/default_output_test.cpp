// The default output never changes: users' stored textures and palettes come
// from it. Generated images of every kind go through the whole program and
// through the merge alone, and a digest of each result is held against the
// value recorded when the merge still re-scanned every bin for each step.
// A change of any output byte, any palette entry or any tie between equal
// merge costs shows here.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/modes/Run.h"
#include "palvex/quant/Merger.h"
#include "palvex/testing/Fixtures.h"
#include "platform/FileSystem.h"

namespace palvex {
namespace {

using testing_support::StdoutCapture;
using testing_support::TestDir;

// FNV-1a, 64 bits.
class Digest {
 public:
  void add(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
      value_ ^= p[i];
      value_ *= 0x100000001b3ULL;
    }
  }
  void add(const std::string& s) { add(s.data(), s.size()); }
  void add(float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    add(&bits, sizeof bits);
  }
  uint64_t value() const { return value_; }

 private:
  uint64_t value_ = 0xcbf29ce484222325ULL;
};

// A small portable generator (xorshift32), so that every platform makes the
// same images.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // −amplitude .. amplitude.
  int around(int amplitude) {
    return static_cast<int>(next() % static_cast<uint32_t>(2 * amplitude + 1)) - amplitude;
  }

 private:
  uint32_t state_;
};

uint8_t clampByte(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;

  Picture(int32_t w, int32_t h) : width(w), height(h), rgb(static_cast<size_t>(w * h) * 3, 0) {}
  void set(int32_t x, int32_t y, int r, int g, int b) {
    const size_t at =
        (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    rgb[at] = clampByte(r);
    rgb[at + 1] = clampByte(g);
    rgb[at + 2] = clampByte(b);
  }
};

// Every pixel drawn at random: a rough texture with thousands of colours.
Picture noiseTexture(int32_t w, int32_t h, uint32_t seed) {
  Picture p(w, h);
  Noise n(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t v = n.next();
      p.set(x, y, static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
            static_cast<int>((v >> 16) & 0xFF));
    }
  return p;
}

// Smooth two-way gradients with a bright blob and some grain, as in a photo.
Picture photo(int32_t w, int32_t h, uint32_t seed) {
  Picture p(w, h);
  Noise n(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int dx = x - w / 3;
      const int dy = y - h / 2;
      const int blob = 120 - (dx * dx + dy * dy) * 480 / (w * w + h * h);
      // The noise is drawn blue, green, red, in statements of their own:
      // as arguments of one call their order would be the compiler's.
      const int nb = n.around(6);
      const int ng = n.around(6);
      const int nr = n.around(6);
      p.set(x, y, 40 + x * 160 / w + (blob > 0 ? blob : 0) + nr, 60 + y * 120 / h + ng,
            200 - (x + y) * 150 / (w + h) + nb);
    }
  return p;
}

// White paper with dark and coloured strokes: few colours, sharp edges.
Picture lineArt(int32_t w, int32_t h) {
  Picture p(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      int r = 250, g = 248, b = 240;
      if ((x + 2 * y) % 23 < 2) r = g = b = 20;
      if ((3 * x - y + 400) % 31 == 0) r = 200, g = 30, b = 30;
      if (x % 17 == 0 && y > h / 3) r = 30, g = 60, b = 190;
      p.set(x, y, r, g, b);
    }
  return p;
}

// A shaded ball on the pink key colour.
Picture maskedSprite(int32_t size, uint32_t seed) {
  Picture p(size, size);
  Noise n(seed);
  const int c = size / 2;
  for (int32_t y = 0; y < size; ++y)
    for (int32_t x = 0; x < size; ++x) {
      const int d2 = (x - c) * (x - c) + (y - c) * (y - c);
      if (d2 > (c - 4) * (c - 4)) {
        p.set(x, y, 255, 0, 255);
      } else {
        const int shade = 255 - d2 * 200 / (c * c);
        const int nb = n.around(4);  // blue, green, red, as in photo()
        const int ng = n.around(4);
        const int nr = n.around(4);
        p.set(x, y, shade / 3 + nr, shade + ng, shade / 2 + nb);
      }
    }
  return p;
}

// 200 colours, each in a patch of its own.
Picture fewColours(int32_t w, int32_t h) {
  Picture p(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int k = (x / 4 + (y / 4) * (w / 4)) % 200;
      p.set(x, y, (k * 37) % 256, (k * 91) % 256, (k * 13) % 256);
    }
  return p;
}

// The points of a regular grid, each the same number of times: many merge
// costs are exactly equal, so the ties decide the result.
Picture lattice(int steps) {
  const int32_t w = steps * steps;
  Picture p(w, steps);
  const int stride = 255 / (steps - 1);
  for (int32_t y = 0; y < steps; ++y)
    for (int32_t x = 0; x < w; ++x)
      p.set(x, y, (x / steps) * stride, (x % steps) * stride, y * stride);
  return p;
}

class DefaultOutput : public ::testing::Test {
 protected:
  std::string writeBmp(const std::string& name, const Picture& p) {
    const auto bytes = testing::bmp24(p.width, p.height, p.rgb);
    return dir_.write(name, std::string(bytes.begin(), bytes.end()));
  }

  // Runs palvex on `input` with `options` into a new file and returns the
  // digest of what it wrote. `extension` is the format's, "pcx", "tga" or
  // "bmp"; the others are asked for with their switch.
  uint64_t run(const std::string& input, std::vector<std::string> options,
               const std::string& extension = "pcx") {
    const std::string output = dir_ / ("out" + std::to_string(++runs_) + "." + extension);
    if (extension != "pcx") options.push_back("-" + extension);
    options.push_back("-o");
    options.push_back(input);
    options.push_back(output);
    int status = 0;
    {
      StdoutCapture quiet;
      status = modes::Run::run(options);
    }
    EXPECT_EQ(status, 0) << input;
    Digest d;
    d.add(platform::readFile(output));
    return d.value();
  }

  TestDir dir_;
  int runs_ = 0;
};

TEST_F(DefaultOutput, EveryKindOfImageGivesTheRecordedFile) {
  const std::string noise = writeBmp("noise.bmp", noiseTexture(64, 64, 7));
  const std::string smooth = writeBmp("photo.bmp", photo(120, 90, 11));
  const std::string lines = writeBmp("lines.bmp", lineArt(96, 64));
  const std::string sprite = writeBmp("sprite.bmp", maskedSprite(48, 5));
  const std::string few = writeBmp("few.bmp", fewColours(80, 44));
  const std::string dot = writeBmp("dot.bmp", photo(1, 1, 3));
  const std::string large = writeBmp("large.bmp", photo(256, 256, 23));
  const std::string grid = writeBmp("grid.bmp", lattice(17));

  EXPECT_EQ(run(noise, {}), 15054604493895524347u);
  EXPECT_EQ(run(smooth, {}), 14165449090853435673u);
  EXPECT_EQ(run(lines, {}), 18079036953915628804u);
  EXPECT_EQ(run(sprite, {}), 7107253888492725273u);
  EXPECT_EQ(run(few, {}), 7262855830705635264u);
  EXPECT_EQ(run(dot, {}), 14699556232412734241u);
  EXPECT_EQ(run(large, {}), 11268886166301161917u);
  EXPECT_EQ(run(grid, {}), 4266034429891739098u);
}

TEST_F(DefaultOutput, TheCommonSettingsGiveTheRecordedFile) {
  const std::string smooth = writeBmp("photo.bmp", photo(120, 90, 13));
  const std::string sprite = writeBmp("sprite.bmp", maskedSprite(48, 9));
  const std::string noise = writeBmp("noise.bmp", noiseTexture(64, 64, 17));
  const std::string grid = writeBmp("grid.bmp", lattice(17));

  EXPECT_EQ(run(sprite, {"-pinkmask"}), 3578192196464787343u);
  EXPECT_EQ(run(sprite, {"-pinkmask", "-colors", "64"}, "tga"), 2112934644924885573u);
  EXPECT_EQ(run(smooth, {"-dither", "100"}), 17661314113010743526u);
  EXPECT_EQ(run(smooth, {"-rgb", "-method", "2"}, "bmp"), 11718035667702835696u);
  EXPECT_EQ(run(noise, {"-rgb", "-colors", "16"}), 2873511153319968244u);
  EXPECT_EQ(run(noise, {"-mips"}), 1579966355669180689u);
  EXPECT_EQ(run(grid, {"-rgb"}), 14144396780740999162u);
  EXPECT_EQ(run(grid, {"-rgb", "-method", "2", "-colors", "100"}), 8000880319404569725u);
}

// The merge alone, on bins made directly: exact ties everywhere (a grid of
// equal weights), clustered means with spread weights, and targets from 1
// to beyond the bin count.
TEST(DefaultMerge, BinsMergeAsRecorded) {
  auto digestOf = [](const std::vector<quant::Bin>& bins) {
    Digest d;
    for (size_t i = 1; i < bins.size(); ++i) {
      for (float v : bins[i].sum) d.add(v);
      for (float v : bins[i].mean) d.add(v);
      d.add(bins[i].weight);
    }
    return d.value();
  };
  auto gridBins = [] {
    std::vector<quant::Bin> bins(1);
    for (int r = 0; r < 12; ++r)
      for (int g = 0; g < 12; ++g)
        for (int b = 0; b < 12; ++b) {
          quant::Bin bin;
          bin.weight = 2;
          bin.sum[0] = static_cast<float>(r * 20 * 2);
          bin.sum[1] = static_cast<float>(g * 20 * 2);
          bin.sum[2] = static_cast<float>(b * 20 * 2);
          bins.push_back(bin);
        }
    return bins;
  };
  auto clusteredBins = [] {
    std::vector<quant::Bin> bins(1);
    Noise n(99);
    for (int i = 0; i < 3000; ++i) {
      const int centre = static_cast<int>(n.next() % 9);
      quant::Bin bin;
      bin.weight = static_cast<float>(1 + n.next() % 50) * 0.25f;
      for (int k = 0; k < 3; ++k)
        bin.sum[k] = static_cast<float>(centre * 28 + (k + 1) * 5 + n.around(12)) * bin.weight;
      bins.push_back(bin);
    }
    return bins;
  };
  const struct {
    bool clustered;
    int target;
    bool squareRoot;
    uint64_t digest;
  } cases[] = {
      {false, 256, false, 15753953210387865702u}, {false, 1, false, 9293490646835019109u},
      {false, 37, true, 15508241961246444625u},   {false, 5000, false, 17813838126383598197u},
      {true, 256, false, 7820815368922589017u},   {true, 255, true, 17494567522770359608u},
      {true, 2, false, 15389061378482663686u},
  };
  for (const auto& c : cases) {
    std::vector<quant::Bin> bins = c.clustered ? clusteredBins() : gridBins();
    quant::Merger::merge(bins, c.target, c.squareRoot, false);
    EXPECT_EQ(digestOf(bins), c.digest) << c.clustered << " " << c.target << " " << c.squareRoot;
  }
}

}  // namespace
}  // namespace palvex
