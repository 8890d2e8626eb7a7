// Runs the built palvex on real images in temporary folders. Images are made
// and checked with ImageMagick, an independent reader and writer of the
// three formats.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "e2e/Run.h"
#include "palvex/files/ImageFiles.h"
#include "palvex/special/SpecialMaps.h"
#include "platform/FileSystem.h"
#include "testing/Fixtures.h"

namespace {

using testing_support::binDir;
using testing_support::runProgram;
using testing_support::RunResult;
using testing_support::shellQuote;
using testing_support::TestDir;

constexpr const char* kConvert = "/usr/bin/convert";
constexpr const char* kIdentify = "/usr/bin/identify";

std::string capture(const std::string& cmd) {
  std::string out;
  std::FILE* p = ::popen((cmd + " 2>/dev/null").c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

// ImageMagick's reading of a file: R, G, B bytes, top row first.
std::string imPixels(const std::string& path) {
  return capture(std::string(kConvert) + " " + shellQuote(path) + " -auto-orient -depth 8 rgb:-");
}

std::string identify(const std::string& path, const std::string& format) {
  return capture(std::string(kIdentify) + " -format " + shellQuote(format) + " " +
                 shellQuote(path));
}

void convert(const std::string& args) {
  ASSERT_EQ(std::system((std::string(kConvert) + " " + args + " >/dev/null 2>&1").c_str()), 0)
      << args;
}

// Our reading of a file, as ImageMagick's.
std::string ourPixels(const std::string& path, bool allow8 = true) {
  palvex::Image im;
  im.inputName = path;
  std::fflush(stdout);
  if (!palvex::files::ImageFiles::load(im, allow8)) return "(not loaded)";
  return std::string(im.pixels.begin(), im.pixels.end());
}

RunResult palvex(const TestDir& dir, const std::vector<std::string>& args) {
  return runProgram(dir.path(), binDir() + "/palvex", args);
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class PalvexE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    convert("-seed 7 -size 48x40 plasma:fractal " + shellQuote(dir / "tex.png"));
    convert(shellQuote(dir / "tex.png") + " -type TrueColor TGA:" + shellQuote(dir / "tex.tga"));
  }
  TestDir dir;
};

TEST_F(PalvexE2e, ImageMagickFilesOfEverySupportedKindLoadToTheSamePixels) {
  const std::string src = shellQuote(dir / "tex.png");
  const std::vector<std::pair<std::string, std::string>> variants = {
      {"-colors 200 -type Palette PCX:", "a.pcx"},
      {"-type TrueColor BMP3:", "b24.bmp"},
      {"-colors 200 -type Palette -compress None BMP3:", "b8.bmp"},
      {"-colors 200 -type Palette TGA:", "t1.tga"},
      {"-type TrueColor TGA:", "t2.tga"},
      {"-type TrueColorAlpha TGA:", "t2a.tga"},
      {"-colors 200 -type Palette -compress RLE TGA:", "t9.tga"},
      {"-type TrueColor -compress RLE TGA:", "t10.tga"},
      {"-type TrueColorAlpha -compress RLE TGA:", "t10a.tga"},
  };
  for (const auto& [how, name] : variants) {
    convert(src + " " + how + shellQuote(dir / name));
    const std::string theirs = imPixels(dir / name);
    ASSERT_EQ(theirs.size(), 48u * 40 * 3) << name;
    EXPECT_TRUE(ourPixels(dir / name) == theirs) << name;
  }
  // Greyscale Targa files (type 3) are refused.
  convert(src + " -type Grayscale TGA:" + shellQuote(dir / "grey.tga"));
  EXPECT_EQ(ourPixels(dir / "grey.tga"), "(not loaded)");
}

double psnr(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]);
    sum += d * d;
  }
  return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

TEST_F(PalvexE2e, WrittenFilesReadBackInImageMagickWithTheSamePixelsAndPalette) {
  for (const char* format : {"pcx", "bmp", "tga"}) {
    const std::string out = std::string("out.") + format;
    const RunResult r = palvex(dir, {"tex.tga", out, std::string("-") + format});
    ASSERT_TRUE(contains(r.output, " File written: " + out + " .\n")) << r.output;
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(identify(dir / out, "%w %h %z %k"), "48 40 8 " + identify(dir / out, "%k"));
    // Our own reading (palette colour of every index) against theirs.
    EXPECT_TRUE(ourPixels(dir / out) == imPixels(dir / out)) << format;
    EXPECT_LE(std::stoi(identify(dir / out, "%k")), 256);
  }
  // A usable likeness of the source.
  EXPECT_GT(psnr(ourPixels(dir / "tex.tga"), imPixels(dir / "out.bmp")), 30.0);
}

TEST_F(PalvexE2e, APcxRoundTripKeepsEveryColour) {
  convert(shellQuote(dir / "tex.png") +
          " -colors 180 -type Palette PCX:" + shellQuote(dir / "few.pcx"));
  const RunResult r = palvex(dir, {"few.pcx", "again.pcx"});
  ASSERT_TRUE(contains(r.output, "PCX file read.Image input size: 40 x 48  \n")) << r.output;
  const int colours = std::stoi(identify(dir / "few.pcx", "%k"));
  EXPECT_TRUE(contains(r.output, "Color bins: " + std::to_string(colours) + " \n")) << r.output;
  EXPECT_EQ(imPixels(dir / "again.pcx"), imPixels(dir / "few.pcx"));
  // The colours and black in front; white after.
  const std::string f = platform::readFile(dir / "again.pcx");
  const std::string palette = f.substr(f.size() - 768);
  EXPECT_EQ(palette.substr(0, 3), std::string(3, '\0'));
  const auto n = static_cast<size_t>(colours) + 1;
  EXPECT_EQ(palette.substr(n * 3), std::string((256 - n) * 3, '\xff'));
}

TEST_F(PalvexE2e, BatchModeWritesPrefixedNamesAndSkipsFilesItMayNotReplace) {
  convert(shellQuote(dir / "tex.png") + " -flop -type TrueColor TGA:" + shellQuote(dir / "b.tga"));
  platform::writeFile(dir / "pal_b.pcx", "old");
  RunResult r = palvex(dir, {"*.tga", "pal_"});
  EXPECT_TRUE(contains(r.output, "Queued for processing: 0 b.tga  \n")) << r.output;
  EXPECT_TRUE(contains(r.output, "Queued for processing: 1 tex.tga  \n"));
  EXPECT_TRUE(contains(r.output, "Cannot overwrite existing file. Use -o option to override. \n"));
  EXPECT_TRUE(contains(r.output, " File written: pal_tex.pcx .\n"));
  EXPECT_EQ(platform::readFile(dir / "pal_b.pcx"), "old");
  // One of the two files was not written.
  EXPECT_EQ(r.status, 1);
  r = palvex(dir, {"*.tga", "pal_", "-o", "-scale", "0.5", "0"});
  EXPECT_TRUE(contains(r.output, " File written: pal_b.pcx .\n")) << r.output;
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(identify(dir / "pal_b.pcx", "%w %h"), "24 20");
}

// "/abs/in.bmp" was read as a switch, so absolute paths could not be given,
// and "-o in.tga /abs/out.pcx" wrote ./in.pcx instead, reporting nothing.
TEST_F(PalvexE2e, AbsolutePathsAreFilesAndSlashSwitchesStillWork) {
  TestDir elsewhere;
  elsewhere.mkdir("out");
  // From another folder, input and output named by absolute paths.
  RunResult r = palvex(elsewhere, {"-o", dir / "tex.tga", elsewhere / "out/new.pcx"});
  EXPECT_TRUE(contains(r.output, " File written: " + (elsewhere / "out/new.pcx") + " .\n"))
      << r.output;
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(identify(elsewhere / "out/new.pcx", "%w %h"), "48 40");
  EXPECT_FALSE(platform::exists(elsewhere / "tex.pcx"));
  EXPECT_FALSE(platform::exists(dir / "tex.pcx"));
  // Without an output the output goes beside the input, under its name.
  r = palvex(elsewhere, {dir / "tex.tga", "/bmp"});
  EXPECT_TRUE(contains(r.output, " File written: " + (dir / "tex.bmp") + " .\n")) << r.output;
  EXPECT_EQ(r.status, 0);
  // "/o" and "/?" are still switches; an existing output needs "/o".
  r = palvex(elsewhere, {dir / "tex.tga", "/bmp"});
  EXPECT_TRUE(contains(r.output, "Cannot overwrite existing file.")) << r.output;
  EXPECT_EQ(r.status, 1);
  r = palvex(elsewhere, {dir / "tex.tga", "/bmp", "/o"});
  EXPECT_EQ(r.status, 0) << r.output;
  r = palvex(elsewhere, {"/?"});
  EXPECT_TRUE(contains(r.output, " Usage:   PALVEX  [switches]"));
}

TEST_F(PalvexE2e, ReferenceFilesDictateTheOutputSizes) {
  convert(shellQuote(dir / "tex.png") + " -type TrueColor BMP3:" + shellQuote(dir / "stone.BMP"));
  dir.mkdir("ref");
  convert(shellQuote(dir / "tex.png") +
          " -resize 12x10! -colors 16 -type Palette PCX:" + shellQuote(dir / "ref/stone.pcx"));
  ASSERT_TRUE(platform::removePath(dir / "tex.png"));
  const RunResult r = palvex(dir, {"*.*", "out_", "-refdir", "ref"});
  EXPECT_TRUE(contains(r.output, " Using destination sizes from old PCX file:  12 x 10 \n"))
      << r.output;
  EXPECT_TRUE(
      contains(r.output, "Could not find reference PCX for:  tex.tga  from  ref/tex.tga \n"));
  EXPECT_TRUE(contains(r.output, " FOUND NO MATCHING .PCX file for: tex.tga \n"));
  EXPECT_EQ(identify(dir / "out_stone.pcx", "%w %h"), "12 10");
  EXPECT_EQ(identify(dir / "out_tex.pcx", "%w %h"), "48 40");
}

TEST_F(PalvexE2e, MasterPaletteModeUsesThePaletteOfTheFileAsItIs) {
  convert("-size 16x16 gradient:red-blue -colors 64 -type Palette PCX:" +
          shellQuote(dir / "master.pcx"));
  const RunResult r = palvex(dir, {"tex.tga", "m.tga", "-tga", "-palette", "master.pcx"});
  EXPECT_TRUE(contains(r.output, "Using palette from reference file.. \n")) << r.output;
  EXPECT_TRUE(
      contains(r.output, "Remapping all files to master palette..\nRemapping file:  tex.tga\n"));
  const std::string master = platform::readFile(dir / "master.pcx");
  const std::string out = platform::readFile(dir / "m.tga");
  ASSERT_GT(out.size(), 18u + 768);
  // The TGA colour map holds B, G, R.
  for (size_t i = 0; i < 256; ++i)
    for (size_t k = 0; k < 3; ++k)
      ASSERT_EQ(out[18 + i * 3 + k], master[master.size() - 768 + i * 3 + 2 - k]) << i;
}

TEST_F(PalvexE2e, CommonPaletteModeGivesEveryFileTheSamePalette) {
  convert("-size 40x30 gradient:yellow-navy -type TrueColor TGA:" + shellQuote(dir / "g.tga"));
  const RunResult r = palvex(dir, {"*.tga", "c_", "-common", "-c", "100"});
  EXPECT_TRUE(contains(r.output, "Cumulative color bins:  ")) << r.output;
  EXPECT_TRUE(contains(r.output, "Remapping file to common palette:  tex.tga\n"));
  const std::string a = platform::readFile(dir / "c_g.pcx");
  const std::string b = platform::readFile(dir / "c_tex.pcx");
  ASSERT_GT(a.size(), 768u);
  EXPECT_EQ(a.substr(a.size() - 768), b.substr(b.size() - 768));
  EXPECT_LE(
      std::stoi(identify(dir / "c_g.pcx", "%k")) + std::stoi(identify(dir / "c_tex.pcx", "%k")),
      2 * 101);
}

TEST_F(PalvexE2e, APinkKeyColourBecomesEntryZero) {
  convert(shellQuote(dir / "tex.png") + " -fill '#ff00ff' -draw 'rectangle 0,0 20,39' " +
          "-type TrueColor BMP3:" + shellQuote(dir / "key.bmp"));
  // The same with the refined palette and plain RGB mapping, dithered or not.
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{}, {"-refine"}, {"-refine", "-dither", "100"}}) {
    std::vector<std::string> args = {"key.bmp", "key.pcx", "-o", "-pinkmask"};
    args.insert(args.end(), extra.begin(), extra.end());
    SCOPED_TRACE(extra.empty() ? "designed" : extra.back());
    const RunResult r = palvex(dir, args);
    EXPECT_TRUE(contains(r.output, "Quantizing with special mask color.\n")) << r.output;
    palvex::Image im;
    im.inputName = dir / "key.pcx";
    im.keepIndexPlane = true;
    ASSERT_TRUE(palvex::files::ImageFiles::load(im, true));
    EXPECT_EQ(im.sourcePalette[0], 255);
    EXPECT_EQ(im.sourcePalette[1], 0);
    EXPECT_EQ(im.sourcePalette[2], 255);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 48; ++x)
        ASSERT_EQ(im.indexPlane[static_cast<size_t>(y * 48 + x)] == 0, x <= 20) << x << "," << y;
  }
}

TEST_F(PalvexE2e, BadInputEndsTheRunWithoutLeavingAnOutput) {
  std::string t = platform::readFile(dir / "tex.tga");
  platform::writeFile(dir / "cut.tga", t.substr(0, t.size() / 2));
  RunResult r = palvex(dir, {"cut.tga", "cut.pcx"});
  EXPECT_TRUE(contains(r.output,
                       " Input file ends before its image data. i) Failed loading image file:  "
                       "cut.tga \n"))
      << r.output;
  EXPECT_FALSE(platform::exists(dir / "cut.pcx"));
  EXPECT_EQ(r.status, 1);
  r = palvex(dir, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.output, " Run PALVEX /? for a list of command line options.\n"));
  EXPECT_TRUE(contains(r.output, " Error: no input filename specified. \n"));
  r = palvex(dir, {"tex.tga", "o*.pcx"});
  EXPECT_TRUE(contains(r.output, " Error: illegal output filename. "));
  r = palvex(dir, {"-?"});
  EXPECT_TRUE(contains(r.output, " Usage:   PALVEX  [switches]"));
  EXPECT_EQ(r.status, 1);
}

// Our reading of a written file's indices and palette.
palvex::Image ourIndexed(const std::string& path) {
  palvex::Image im;
  im.inputName = path;
  im.keepIndexPlane = true;
  std::fflush(stdout);
  palvex::files::ImageFiles::load(im, true);
  return im;
}

// The palette of a written file, 768 bytes.
std::string paletteOf(const palvex::Image& im) {
  std::string p;
  for (int i = 0; i < 256; ++i)
    for (int k = 0; k < 3; ++k)
      p += static_cast<char>(im.sourcePalette[static_cast<size_t>(i * 4 + k)]);
  return p;
}

TEST_F(PalvexE2e, BumpMapsAreSignedLuminanceSlopesInTheBumpPalette) {
  convert("-size 16x4 xc:'rgb(90,140,30)' -type TrueColor TGA:" + shellQuote(dir / "flat.tga"));
  RunResult r = palvex(dir, {"flat.tga", "flat.pcx", "-bump", "100"});
  EXPECT_TRUE(contains(r.output, "Bumping....\n...ready.\n File written: flat.pcx .\n"))
      << r.output;
  palvex::Image flat = ourIndexed(dir / "flat.pcx");
  EXPECT_EQ(flat.indexPlane, std::vector<uint8_t>(64, 0));
  EXPECT_EQ(imPixels(dir / "flat.pcx"), std::string(64 * 3, '\0'));

  r = palvex(dir, {"tex.tga", "bump.bmp", "-bump", "2", "-bmp"});
  ASSERT_TRUE(contains(r.output, " File written: bump.bmp .\n")) << r.output;
  const std::string src = imPixels(dir / "tex.tga");
  const std::string out = imPixels(dir / "bump.bmp");
  ASSERT_EQ(out.size(), src.size());
  auto lum = [&](size_t p) {
    const auto* c = reinterpret_cast<const uint8_t*>(src.data()) + p * 3;
    return 0.3 * c[0] + 0.5 * c[1] + 0.2 * c[2];
  };
  for (size_t y = 0; y < 40; ++y) {
    for (size_t x = 0; x < 48; ++x) {
      const size_t n = (x + 1) & 47;
      const double v =
          std::clamp(std::trunc(2.0 * (lum(y * 48 + x) - lum(y * 48 + n)) * 0.5), -128.0, 127.0);
      const auto i = static_cast<uint8_t>(static_cast<int>(v));
      const uint8_t want[3] = {static_cast<uint8_t>(i < 128 ? 2 * i : 255 - i),
                               static_cast<uint8_t>(i < 128 ? i : 2 * (255 - i)),
                               static_cast<uint8_t>(i < 128 ? 2 * i : 2 * (255 - i))};
      ASSERT_EQ(out.substr((y * 48 + x) * 3, 3), std::string(want, want + 3)) << x << "," << y;
    }
  }
}

TEST_F(PalvexE2e, StreamMapsNeedAPalettedInput) {
  // Rows of every code class, with runs of 4, 5 and 6.
  palvex::testing::Bytes body;
  const uint8_t line[20] = {0, 1, 2, 3, 4, 4, 4, 5, 5, 6, 6, 6, 6, 7, 9, 0x20, 4, 0, 5, 1};
  for (int r = 0; r < 6; ++r) body.insert(body.end(), line, line + 20);
  const auto codes = palvex::testing::pcxFile(20, 6, body);
  platform::writeFile(dir / "codes.pcx", std::string(codes.begin(), codes.end()));
  palvex::Image in = ourIndexed(dir / "codes.pcx");
  ASSERT_EQ(in.indexPlane.size(), 120u);
  RunResult r = palvex(dir, {"codes.pcx", "s.tga", "-stream", "1", "-tga"});
  EXPECT_TRUE(contains(r.output, "Streaming....\n Creating STREAMS bitmap: Streaming done. \n"))
      << r.output;
  palvex::Image out = ourIndexed(dir / "s.tga");
  ASSERT_EQ(out.indexPlane.size(), 120u);
  for (int row = 0; row < 6; ++row) {
    std::vector<uint8_t> want(20);
    palvex::special::SpecialMaps::streamRow(
        std::span<const uint8_t>(in.indexPlane).subspan(static_cast<size_t>(row) * 20, 20), row, 6,
        1, want);
    EXPECT_EQ(std::vector<uint8_t>(out.indexPlane.begin() + row * 20,
                                   out.indexPlane.begin() + row * 20 + 20),
              want)
        << row;
  }
  // A grey ramp: ImageMagick sees each index as its own grey.
  const std::string theirs = imPixels(dir / "s.tga");
  ASSERT_EQ(theirs.size(), 360u);
  for (size_t i = 0; i < 120; ++i)
    ASSERT_EQ(static_cast<uint8_t>(theirs[i * 3]), out.indexPlane[i]);

  r = palvex(dir, {"tex.tga", "s2.pcx", "-stream", "1"});
  EXPECT_TRUE(contains(r.output, " Error: input file for stream map must be an 8-bit file..."))
      << r.output;
  EXPECT_FALSE(platform::exists(dir / "s2.pcx"));
}

TEST_F(PalvexE2e, MaskAndThresholdPicturesAre24BitBmpsUnderTheirOwnNames) {
  convert(shellQuote(dir / "tex.png") + " -fill '#ff00ff' -draw 'rectangle 0,0 9,9' " +
          "-type TrueColor BMP3:" + shellQuote(dir / "key.bmp"));
  RunResult r = palvex(dir, {"key.bmp", "mask.xyz", "-outmask", "-pinkmask"});
  EXPECT_TRUE(contains(r.output, "Pre-sampling file:  key.bmp\n")) << r.output;
  EXPECT_EQ(identify(dir / "mask.xyz", "%m %w %h %z"), "BMP3 48 40 8");
  EXPECT_TRUE(imPixels(dir / "mask.xyz") == imPixels(dir / "key.bmp"));

  r = palvex(dir, {"tex.tga", "dark.tga", "-trans", "0.5", "-tga"});
  EXPECT_EQ(identify(dir / "dark.tga", "%m"), "BMP3") << r.output;
  std::string want = imPixels(dir / "tex.tga");
  for (size_t i = 0; i < want.size(); i += 3) {
    const auto* c = reinterpret_cast<const uint8_t*>(want.data()) + i;
    if (0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2] < 127.5) want.replace(i, 3, 3, '\0');
  }
  EXPECT_TRUE(imPixels(dir / "dark.tga") == want);
}

TEST_F(PalvexE2e, ThePalettePictureShowsTheLastPaletteInIndexOrder) {
  const RunResult r = palvex(dir, {"tex.tga", "o.pcx", "-writepal", "pal.bmp.x", "-bmp"});
  ASSERT_TRUE(contains(r.output, " File written: o.bmp .\n")) << r.output;
  EXPECT_EQ(identify(dir / "pal.bmp.x", "%m %w %h"), "BMP3 256 32");
  const std::string row = imPixels(dir / "pal.bmp.x").substr(0, 768);
  EXPECT_TRUE(row == paletteOf(ourIndexed(dir / "o.bmp")));
}

TEST_F(PalvexE2e, PaletteSmoothingWritesTheExampleWithTheSmoothedPalette) {
  // Palette entry i of the input is (i, 255 − i, i ÷ 2): the third channel
  // has plateaus of two, which become ramps.
  const auto steps = palvex::testing::pcxFile(4, 1, {1, 2, 3, 4});
  platform::writeFile(dir / "steps.pcx", std::string(steps.begin(), steps.end()));
  const RunResult r = palvex(dir, {"steps.pcx", "sm.pcx", "-palsmooth", "-palette", "tex.tga"});
  EXPECT_TRUE(contains(r.output, "Palette smoothing selected.\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "reading example picture: ")) << r.output;
  EXPECT_TRUE(contains(r.output, " File written: sm.pcx .\n")) << r.output;
  EXPECT_EQ(identify(dir / "sm.pcx", "%w %h"), "48 40");
  const std::string pal = paletteOf(ourIndexed(dir / "sm.pcx"));
  ASSERT_EQ(pal.size(), 768u);
  for (int i = 0; i < 256; ++i) {
    const int third = i < 2 ? 0 : (i % 2 == 1 && i < 255 ? (i + 1) / 2 : i / 2);
    ASSERT_EQ(static_cast<uint8_t>(pal[static_cast<size_t>(i * 3)]), i);
    ASSERT_EQ(static_cast<uint8_t>(pal[static_cast<size_t>(i * 3 + 1)]), 255 - i);
    ASSERT_EQ(static_cast<uint8_t>(pal[static_cast<size_t>(i * 3 + 2)]), third) << i;
  }
}

TEST_F(PalvexE2e, TheCopierSelfTestRunsBeforeTheMode) {
  const RunResult r = palvex(dir, {"-synthesis", "tex.tga", "o.pcx"});
  EXPECT_TRUE(contains(r.output, "TESTING bit copy routines.  Initializing...\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "      xxx  0 \n"));
  EXPECT_FALSE(contains(r.output, "Error in byte"));
  EXPECT_LT(r.output.find("xxx"), r.output.find("Processing file:  tex.tga\n"));
}

TEST_F(PalvexE2e, AutomaticCombiningSharesOnePalettePerCluster) {
  for (const char* c : {"red", "navy"}) {
    for (int k = 0; k < 2; ++k) {
      convert("-size 16x16 gradient:" + std::string(c) + "-" + (k == 0 ? "white" : "gray90") +
              " -type TrueColor TGA:" +
              shellQuote(dir / (std::string(c) + std::to_string(k) + ".tga")));
    }
  }
  ASSERT_TRUE(platform::removePath(dir / "tex.tga"));
  RunResult r = palvex(dir, {"*.tga", "a_", "-auto", "2", "-writepal", "p.pcx", "-c", "32"});
  EXPECT_TRUE(contains(r.output, "Merging suitable palettes...\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "Done:  2 clusters.\n"));
  const auto pal = [&](const char* n) { return paletteOf(ourIndexed(dir / n)); };
  EXPECT_TRUE(pal("a_red0.pcx") == pal("a_red1.pcx"));
  EXPECT_TRUE(pal("a_navy0.pcx") == pal("a_navy1.pcx"));
  EXPECT_FALSE(pal("a_navy0.pcx") == pal("a_red0.pcx"));
  EXPECT_EQ(identify(dir / "0p.pcx", "%w %h"), "256 32");
  EXPECT_EQ(identify(dir / "1p.pcx", "%w %h"), "256 32");
  EXPECT_FALSE(platform::exists(dir / "p.pcx"));
  EXPECT_GT(psnr(imPixels(dir / "red0.tga"), imPixels(dir / "a_red0.pcx")), 30.0);

  // -auto 4 with four files merges nothing; -error 0 only identical files.
  r = palvex(dir, {"*.tga", "b_", "-auto", "4"});
  EXPECT_TRUE(contains(r.output, "Done:  4 clusters.\n")) << r.output;
  EXPECT_FALSE(contains(r.output, "Clusters: "));
  platform::writeFile(dir / "red2.tga", platform::readFile(dir / "red0.tga"));
  r = palvex(dir, {"*.tga", "e_", "-error", "0"});
  EXPECT_TRUE(contains(r.output, "Max error requirement: 0.000000e+00 \n")) << r.output;
  EXPECT_TRUE(
      contains(r.output, "#Clusters: 5  - Smallest distance 0.000000e+00 between [4] and [2] \n"));
  EXPECT_TRUE(contains(r.output, "Done:  4 clusters.\n"));
}

TEST_F(PalvexE2e, AutomaticCombiningStopsAtAnUnreadableFile) {
  convert("-size 16x16 gradient:red-blue -type TrueColor TGA:" + shellQuote(dir / "b.tga"));
  platform::writeFile(dir / "a.tga", "not an image at all");
  const RunResult r = palvex(dir, {"*.tga", "x_", "-auto", "2"});
  EXPECT_TRUE(contains(r.output, "Failed loading image file:  a.tga \n")) << r.output;
  EXPECT_FALSE(contains(r.output, "Merging suitable palettes"));
  EXPECT_FALSE(platform::exists(dir / "x_b.pcx"));
}

TEST_F(PalvexE2e, PngFilesOfEveryColourTypeLoadToImageMagicksPixels) {
  const std::string src = shellQuote(dir / "tex.png");
  const std::vector<std::pair<std::string, std::string>> variants = {
      {"PNG24:", "rgb8.png"},
      {"PNG48:", "rgb16.png"},
      {"PNG32:", "rgba8.png"},
      {"PNG64:", "rgba16.png"},
      {"-colorspace gray -depth 8 PNG:", "grey8.png"},
      {"-colorspace gray -depth 16 PNG:", "grey16.png"},
      {"-colorspace gray -depth 8 -alpha set PNG:", "greya8.png"},
      {"-colors 200 PNG8:", "pal.png"},
      {"-colors 12 PNG8:", "pal4.png"},
  };
  for (const auto& [how, name] : variants) {
    convert(src + " " + how + shellQuote(dir / name));
    const std::string theirs = imPixels(dir / name);
    ASSERT_EQ(theirs.size(), 48u * 40 * 3) << name;
    EXPECT_TRUE(ourPixels(dir / name, false) == theirs) << name;
  }
  // Every mode reads them: the per-image mode on the paletted one.
  const RunResult r = palvex(dir, {"pal.png", "pal.pcx"});
  EXPECT_TRUE(contains(r.output, " File written: pal.pcx .\n")) << r.output;

  convert(src + " -interlace PNG PNG24:" + shellQuote(dir / "inter.png"));
  EXPECT_EQ(ourPixels(dir / "inter.png"), "(not loaded)");
  std::string bytes = platform::readFile(dir / "rgb8.png");
  platform::writeFile(dir / "cut.png", bytes.substr(0, bytes.size() / 2));
  const RunResult cut = palvex(dir, {"cut.png", "cut.pcx"});
  EXPECT_TRUE(contains(cut.output, " Input file is not a readable PNG file (")) << cut.output;
  EXPECT_TRUE(contains(cut.output, "i) Failed loading image file:  cut.png \n"));
  EXPECT_FALSE(platform::exists(dir / "cut.pcx"));
}

TEST_F(PalvexE2e, OurPngFilesReadBackInImageMagickWithTheSamePaletteAndIndices) {
  RunResult r = palvex(dir, {"tex.tga", "o.bmp", "-png", "-bmp"});
  ASSERT_TRUE(contains(r.output, " File written: o.bmp .\n")) << r.output;
  r = palvex(dir, {"tex.tga", "o.pcx", "-tga", "-png"});
  ASSERT_TRUE(contains(r.output, " File written: o.png .\n")) << r.output;
  EXPECT_EQ(identify(dir / "o.png", "%m %w %h"), "PNG 48 40");
  const palvex::Image png = ourIndexed(dir / "o.png");
  const palvex::Image bmp = ourIndexed(dir / "o.bmp");
  EXPECT_EQ(png.indexPlane, bmp.indexPlane);
  EXPECT_TRUE(imPixels(dir / "o.png") == imPixels(dir / "o.bmp"));
  // ImageMagick's view of the palette: the PLTE holds the written entries.
  const int colours = std::stoi(identify(dir / "o.bmp", "%k"));
  EXPECT_EQ(std::stoi(identify(dir / "o.png", "%k")), colours);
  EXPECT_TRUE(paletteOf(png).substr(0, 3 * static_cast<size_t>(colours)) ==
              paletteOf(bmp).substr(0, 3 * static_cast<size_t>(colours)));
  // The 24-bit pictures stay BMP files and keep their names under -png.
  r = palvex(dir, {"tex.tga", "dark.bmp", "-trans", "0.3", "-png"});
  EXPECT_EQ(identify(dir / "dark.bmp", "%m"), "BMP3") << r.output;
}

TEST_F(PalvexE2e, AutomaticCombiningRefusesAFileSmallerThanItsReference) {
  dir.mkdir("ref");
  convert(shellQuote(dir / "tex.png") +
          " -resize 96x80! -type TrueColor TGA:" + shellQuote(dir / "ref/tex.tga"));
  const RunResult r = palvex(dir, {"*.tga", "x_", "-auto", "2", "-refdir", "ref"});
  EXPECT_TRUE(contains(r.output,
                       "XXX Cannot scale UP textures, only scale down -> Must be a pcx mismatch: "
                       "tex.tga\n"))
      << r.output;
  EXPECT_FALSE(contains(r.output, "Merging suitable palettes"));
  EXPECT_FALSE(platform::exists(dir / "x_tex.pcx"));
}

}  // namespace
