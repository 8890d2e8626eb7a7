// The images of the installed page files, the graph backgrounds among them:
// the committed files are what the generator draws, each has the size the pages state for it, and
// the legend squares show the colours the score graph gives its lines.
#include "tools/sitegen/SiteImages.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "util/Gif.h"
#include "util/LineGraph.h"

namespace {

using tools::sitegen::siteImages;

std::string sourceDir() {
  const char* d = std::getenv("BRIM_SOURCE_DIR");
  return d != nullptr ? d : BRIM_DEFAULT_SOURCE_DIR;
}

std::string assetPath(const std::string& rel) { return sourceDir() + "/assets/" + rel; }

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

// "WxH" of the file as ImageMagick reads it, or "" when it cannot.
std::string identify(const std::string& path) {
  std::string cmd = "/usr/bin/identify -format '%wx%h' '" + path + "' 2>/dev/null";
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return "";
  char buf[64] = {0};
  size_t n = std::fread(buf, 1, sizeof buf - 1, p);
  ::pclose(p);
  return std::string(buf, n);
}

TEST(SiteImages, CommittedFilesAreWhatTheGeneratorDraws) {
  for (const auto& image : siteImages()) {
    SCOPED_TRACE(image.path);
    ASSERT_TRUE(platform::isFile(assetPath(image.path)))
        << "run: sitegen assets (from the top of the source tree)";
    EXPECT_TRUE(bytes(platform::readFile(assetPath(image.path))) == image.gif)
        << "the committed image is stale; run: sitegen assets";
  }
}

TEST(SiteImages, EveryImageThePagesNameHasItsStatedSize) {
  if (!platform::isFile("/usr/bin/identify")) GTEST_SKIP() << "ImageMagick is not installed";
  const std::map<std::string, std::string> stated = {
      {"graphics/BF_Logo_Large_Button.gif", "106x106"},
      {"graphics/BF_Logo_Small_Button.gif", "86x80"},
      {"graphics/brimfalllogo.gif", "272x75"},
      {"graphics/Vardo.gif", "180x60"},
      {"skins/custom_graphics/sidebar_120x90.gif", "120x90"},
      {"skins/custom_graphics/skin_credit_88x31.gif", "88x31"},
      {"graphics/g_legend.gif", "16x16"},
      {"graphics/g_no.gif", "16x16"},
      {"graphics/graph_back_Vardo_big.gif", "500x500"},
      {"graphics/graph_back_Vardo.gif", "500x160"},
  };
  size_t checked = 0;
  for (const auto& image : siteImages()) {
    SCOPED_TRACE(image.path);
    std::string size = identify(assetPath(image.path));
    EXPECT_EQ(size, std::to_string(image.width) + "x" + std::to_string(image.height));
    auto it = stated.find(image.path);
    if (it != stated.end()) {
      EXPECT_EQ(size, it->second);
      ++checked;
    }
    if (std::regex_match(image.path, std::regex("graphics/g([0-9]+|_legend|_no)\\.gif"))) {
      EXPECT_EQ(size, "16x16");
    }
    if (image.path == "graphics/Quillon_Logo_106_wide.gif") {
      EXPECT_EQ(size.substr(0, 4), "106x");
    }
  }
  EXPECT_EQ(checked, stated.size());
}

TEST(SiteImages, LegendSquaresShowTheColourOfTheirGraphLine) {
  // The palette a drawn graph really writes: line colour c is entry 255 - c.
  util::LineGraph graph(50, 40);
  graph.initGraph();
  std::vector<uint8_t> file;
  ASSERT_TRUE(graph.writeToGif(file));
  util::Gif drawn;
  ASSERT_TRUE(drawn.decode(file));
  for (int k = 0; k < 32; ++k) {
    SCOPED_TRACE("line " + std::to_string(k));
    std::string square =
        platform::readFile(assetPath("graphics/g" + std::to_string(k + 1) + ".gif"));
    util::Gif g;
    ASSERT_TRUE(g.decode(bytes(square)));
    uint8_t centre = g.pixels[8][8];
    size_t entry = static_cast<size_t>(255 - (k % 16 + 1));
    for (size_t c = 0; c < 3; ++c)
      EXPECT_EQ(g.colormap[centre * 3u + c], drawn.colormap[entry * 3 + c]) << "channel " << c;
  }
}

}  // namespace
