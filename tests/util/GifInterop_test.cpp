// The GIF codec against outside decoders and encoders (ImageMagick and
// giflib's tools, run through the shell).
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "GifImages.h"
#include "TestDir.h"
#include "platform/FileSystem.h"
#include "util/Gif.h"
#include "util/LineGraph.h"

namespace {

using namespace testing_support::gif;
using testing_support::TestDir;

constexpr const char* kConvert = "/usr/bin/convert";
constexpr const char* kIdentify = "/usr/bin/identify";
constexpr const char* kGifbuild = "/usr/bin/gifbuild";

// Runs a shell command and returns its standard output; `status` gets the
// exit code.
std::string run(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = ::popen((cmd + " 2>/dev/null").c_str(), "r");
  if (p == nullptr) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = ::pclose(p);
  if (status != nullptr) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

bool haveTools() { return ::access(kConvert, X_OK) == 0 && ::access(kGifbuild, X_OK) == 0; }

#define REQUIRE_TOOLS()                                        \
  if (!haveTools())                                            \
  GTEST_SKIP() << "needs " << kConvert << " and " << kGifbuild \
               << " (packages imagemagick, giflib-tools)"

// What giflib's dump says about a file: screen, global table and first image.
struct Dump {
  int width = 0, height = 0, left = -1, top = -1, columns = 0, rows = 0;
  std::vector<uint8_t> map;  // RGB triples of the screen map
  std::vector<uint8_t> pix;  // indices, row by row
};

Dump giflibDump(const std::string& path) {
  Dump d;
  std::istringstream in(run(std::string(kGifbuild) + " -d '" + path + "'"));
  std::map<char, uint8_t> keys;
  std::string line;
  bool inMap = false;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string w1, w2;
    ls >> w1 >> w2;
    if (inMap) {
      if (w1 == "end") {
        inMap = false;
      } else if (w1 == "rgb") {
        int g, b;
        std::string is, key;
        ls >> g >> b >> is >> key;
        if (!key.empty()) keys[key[0]] = static_cast<uint8_t>(d.map.size() / 3);
        d.map.push_back(static_cast<uint8_t>(std::stoi(w2)));
        d.map.push_back(static_cast<uint8_t>(g));
        d.map.push_back(static_cast<uint8_t>(b));
      }
    } else if (w1 == "screen" && w2 == "width") {
      ls >> d.width;
    } else if (w1 == "screen" && w2 == "height") {
      ls >> d.height;
    } else if (w1 == "screen" && w2 == "map") {
      inMap = true;
    } else if (w1 == "image" && w2 == "left") {
      ls >> d.left;
    } else if (w1 == "image" && w2 == "top") {
      ls >> d.top;
    } else if (w1 == "image" && w2 == "bits") {
      std::string by, mode;
      ls >> d.columns >> by >> d.rows >> mode;
      for (int y = 0; y < d.rows && std::getline(in, line); ++y) {
        if (mode == "hex") {
          for (size_t i = 0; i + 1 < line.size(); i += 2)
            d.pix.push_back(static_cast<uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
        } else {
          for (char c : line) d.pix.push_back(keys[c]);
        }
      }
      break;
    }
  }
  return d;
}

// Checks a file written by our encoder with both outside decoders.
void expectOutsideDecodersAgree(const Gif& g, const std::string& path) {
  SCOPED_TRACE(path);
  const Dump d = giflibDump(path);
  EXPECT_EQ(d.width, g.width);
  EXPECT_EQ(d.height, g.height);
  EXPECT_EQ(d.left, 0);
  EXPECT_EQ(d.top, 0);
  ASSERT_EQ(d.columns, g.columns);
  ASSERT_EQ(d.rows, g.rows);
  EXPECT_TRUE(d.map == g.colormap) << "giflib sees another colour table";
  Bytes flat;
  for (const auto& row : g.pixels) flat.insert(flat.end(), row.begin(), row.end());
  EXPECT_TRUE(d.pix == flat) << "giflib sees other pixels";

  EXPECT_EQ(run(std::string(kIdentify) + " -format '%w %h %m' '" + path + "'"),
            std::to_string(g.columns) + " " + std::to_string(g.rows) + " GIF");
  int status = -1;
  const std::string rgb = run(std::string(kConvert) + " '" + path + "' -depth 8 rgb:-", &status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(rgb == rgbOf(g)) << "ImageMagick sees other colours";
}

TEST(GifInterop, OutsideDecodersReadOurFiles) {
  REQUIRE_TOOLS();
  TestDir dir;
  const std::tuple<int, int, int> cases[] = {{1, 1, 256},   {2, 2, 3},     {1, 300, 256},
                                             {300, 1, 256}, {37, 23, 256}, {256, 256, 256},
                                             {500, 160, 5}, {640, 480, 16}};
  uint32_t seed = 100;
  for (auto [w, h, colours] : cases) {
    const Gif g = randomImage(w, h, colours, seed++);
    const std::string path = dir / ("img" + std::to_string(seed) + ".gif");
    writeBytes(path, encoded(g));
    expectOutsideDecodersAgree(g, path);
  }
}

TEST(GifInterop, OutsideDecodersReadARealGraph) {
  REQUIRE_TOOLS();
  TestDir dir;
  util::LineGraph graph(500, 500);
  const char* src = std::getenv("BRIM_SOURCE_DIR");
  ASSERT_TRUE(
      graph.loadBackgroundImage(std::string(src != nullptr ? src : BRIM_DEFAULT_SOURCE_DIR) +
                                "/assets/graphics/graph_back_Vardo_big.gif"));
  graph.initGraph();
  std::mt19937 rng(5);
  for (int line = 0; line < 20; ++line) {
    std::vector<double> pts;
    double v = 0;
    for (int i = 0; i < 40; ++i) {
      pts.push_back(i * 0.75);
      pts.push_back(v += static_cast<double>(rng() % 7) - 1);
    }
    ASSERT_TRUE(graph.addLine(pts, 0, 0));
  }
  ASSERT_TRUE(graph.drawGraph());
  Bytes file;
  ASSERT_TRUE(graph.writeToGif(file));
  writeBytes(dir / "graph.gif", file);
  Gif g;
  g.width = g.columns = 500;
  g.height = g.rows = 500;
  g.pixels = graph.pixels();
  g.colormap = graph.colormap();
  expectOutsideDecodersAgree(g, dir / "graph.gif");
}

// `colours` random colours, and an image of them as raw RGB.
std::string randomRgb(int w, int h, int colours, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> palette;
  for (int i = 0; i < colours; ++i) {
    std::string c(3, '\0');
    for (auto& ch : c) ch = static_cast<char>(rng());
    palette.push_back(c);
  }
  std::string rgb;
  for (int i = 0; i < w * h; ++i) rgb += palette[rng() % palette.size()];
  return rgb;
}

TEST(GifInterop, FilesOfOutsideEncodersDecode) {
  REQUIRE_TOOLS();
  TestDir dir;
  const std::tuple<int, int, int, const char*> cases[] = {{1, 1, 1, "GIF"},
                                                          {3, 2, 4, "GIF"},
                                                          {97, 41, 200, "GIF"},
                                                          {300, 200, 256, "GIF"},
                                                          {64, 9, 17, "GIF87"}};
  uint32_t seed = 1;
  for (auto [w, h, colours, format] : cases) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + format);
    const std::string rgb = randomRgb(w, h, colours, seed++);
    platform::writeFile(dir / "in.rgb", rgb);
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    int status = -1;
    run(std::string(kConvert) + " -size " + size + " -depth 8 rgb:'" + (dir / "in.rgb") + "' " +
            format + ":'" + (dir / "out.gif") + "'",
        &status);
    ASSERT_EQ(status, 0);
    const std::string file = dir.read("out.gif");
    Decoded d = decodeBytes(Bytes(file.begin(), file.end()));
    ASSERT_TRUE(d.ok) << d.text;
    EXPECT_EQ(d.gif.columns, w);
    EXPECT_EQ(d.gif.rows, h);
    EXPECT_EQ(file.substr(0, 6), std::string(format) == "GIF87" ? "GIF87a" : "GIF89a");
    // The writer may adjust colours; what matters is that we read what it wrote.
    const Dump dump = giflibDump(dir / "out.gif");
    EXPECT_TRUE(d.gif.colormap == dump.map);
    Bytes flat;
    for (const auto& row : d.gif.pixels) flat.insert(flat.end(), row.begin(), row.end());
    EXPECT_TRUE(flat == dump.pix);
    EXPECT_TRUE(rgbOf(d.gif) ==
                run(std::string(kConvert) + " '" + (dir / "out.gif") + "' -depth 8 rgb:-"));
  }

  // giflib: a 4-colour image with a graphic control extension.
  platform::writeFile(dir / "g.txt",
                      "screen width 4\nscreen height 2\nscreen map\n"
                      "\trgb 255 0 0 is a\n\trgb 0 255 0 is b\n\trgb 0 0 255 is c\n"
                      "\trgb 9 9 9 is d\nend\n"
                      "graphics control\n\tdisposal mode 2\n\tdelay 7\n\ttransparent index 3\n"
                      "end\nimage\nimage left 0\nimage top 0\nimage bits 4 by 2\nabcd\ndcba\n");
  int status = -1;
  run(std::string(kGifbuild) + " '" + (dir / "g.txt") + "' > '" + (dir / "g.gif") + "'", &status);
  ASSERT_EQ(status, 0);
  const std::string file = dir.read("g.gif");
  Decoded d = decodeBytes(Bytes(file.begin(), file.end()));
  ASSERT_TRUE(d.ok) << d.text;
  EXPECT_EQ(d.gif.pixels, (Gif::Rows{{0, 1, 2, 3}, {3, 2, 1, 0}}));
  EXPECT_EQ(d.gif.colormap, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9}));
  EXPECT_EQ(d.gif.dispose, 2);
  EXPECT_EQ(d.gif.delay, 7);
  EXPECT_EQ(d.gif.transparency_index, 3);
}

TEST(GifInterop, UnsupportedFilesOfOutsideEncodersAreRefused) {
  REQUIRE_TOOLS();
  TestDir dir;
  platform::writeFile(dir / "in.rgb", randomRgb(20, 10, 30, 9));
  const std::string in = " -size 20x10 -depth 8 rgb:'" + (dir / "in.rgb") + "' ";
  const std::string head =
      "screen width 8\nscreen height 8\nscreen map\n\trgb 1 1 1 is a\n\trgb 2 2 2 is b\nend\n"
      "image\n";
  const std::pair<std::string, std::string> cases[] = {
      {std::string(kConvert) + in + "-interlace GIF",
       "decode: image is interlaced, not decoding...\n"},
      {std::string(kConvert) + in + "-page 40x30+3+2",
       "decode: image not at origin, not decoding...\n"},
      {"gifbuild:" + head + "image left 2\nimage top 0\nimage bits 2 by 2\nab\nba\n",
       "decode: image not at origin, not decoding...\n"},
      {"gifbuild:" + head +
           "image left 0\nimage top 0\nimage interlaced\nimage bits 2 by 2\n"
           "ab\nba\n",
       "decode: image is interlaced, not decoding...\n"},
      {"gifbuild:" + head +
           "image left 0\nimage top 0\nimage map\n\trgb 3 3 3 is a\n"
           "\trgb 4 4 4 is b\nend\nimage bits 2 by 2\nab\nba\n",
       "decode: image doesn't use global colormap, not decoding...\n"},
  };
  for (const auto& [how, line] : cases) {
    SCOPED_TRACE(how);
    const std::string out = dir / "x.gif";
    int status = -1;
    if (how.rfind("gifbuild:", 0) == 0) {
      platform::writeFile(dir / "x.txt", how.substr(9));
      run(std::string(kGifbuild) + " '" + (dir / "x.txt") + "' > '" + out + "'", &status);
    } else {
      run(how + " GIF:'" + out + "'", &status);
    }
    ASSERT_EQ(status, 0);
    const std::string file = dir.read("x.gif");
    Decoded d = decodeBytes(Bytes(file.begin(), file.end()));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.text, line + "decode: end\n");
  }
}

}  // namespace
