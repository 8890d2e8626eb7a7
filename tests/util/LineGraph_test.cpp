#include "util/LineGraph.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/FileSystem.h"
#include "util/Gif.h"
#include "util/font.h"

namespace {

using testing_support::StdoutCapture;
using testing_support::TestDir;
using util::font;
using util::Gif;
using util::LineGraph;

std::string sourceDir() {
  const char* d = std::getenv("BRIM_SOURCE_DIR");
  return d != nullptr ? d : BRIM_DEFAULT_SOURCE_DIR;
}

std::span<const uint8_t> bytesOf(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The colour of the canvas cell in row `y`, column `x`.
uint8_t pixelAt(const LineGraph& graph, int y, int x) {
  return graph.pixels()[static_cast<size_t>(y)][static_cast<size_t>(x)];
}

// True when every inked cell of `g` placed at (x0, y0) has colour `c` on the
// canvas.
bool glyphAt(const LineGraph& graph, const font::Glyph& g, int x0, int y0, uint8_t c) {
  for (size_t i = 0; i < g.size(); ++i)
    for (size_t j = 0; j < g[i].size(); ++j)
      if (g[i][j] == 1 &&
          graph.pixels()[static_cast<size_t>(y0) + i][static_cast<size_t>(x0) + j] != c)
        return false;
  return true;
}

bool textAt(const LineGraph& graph, const std::string& text, int x0, int y0) {
  for (size_t k = 0; k < text.size(); ++k)
    if (!glyphAt(graph, *font::getBitmap(text[k]), x0 + 7 * static_cast<int>(k), y0,
                 LineGraph::kTextColour))
      return false;
  return true;
}

int countColour(const LineGraph& graph, uint8_t c, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) n += pixelAt(graph, y, x) == c ? 1 : 0;
  return n;
}

// ---- numbers of the axes ----

TEST(LineGraphScale, RoundUpGivesTheNextOfOneTwoFive) {
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(4.325), 5);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(375), 500);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(1), 1);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(1.5), 2);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(2), 2);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(7), 10);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(20), 20);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(0.25), 0.5);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(0.011), 0.02);
  EXPECT_DOUBLE_EQ(LineGraph::RoundUp(60000), 100000);
  EXPECT_THROW(LineGraph::log10(0), std::domain_error);
}

TEST(LineGraphScale, ExponentBandsAreMultiplesOfThree) {
  EXPECT_EQ(LineGraph::axisExp(0, 1), 0);
  EXPECT_EQ(LineGraph::axisExp(0, 999), 0);
  EXPECT_EQ(LineGraph::axisExp(0, 1000), 3);  // an exact power opens its band
  EXPECT_EQ(LineGraph::axisExp(0, 1500), 3);
  EXPECT_EQ(LineGraph::axisExp(-2000, 10), 3);  // the larger magnitude decides
  EXPECT_EQ(LineGraph::axisExp(0, 999999), 3);
  EXPECT_EQ(LineGraph::axisExp(0, 1e6), 6);
  EXPECT_EQ(LineGraph::axisExp(0, 2.5e9), 9);
  EXPECT_EQ(LineGraph::axisExp(0, 0.5), -3);
  EXPECT_EQ(LineGraph::axisExp(0, 0.001), -3);
  EXPECT_EQ(LineGraph::axisExp(0, 0.0009), -6);
}

TEST(LineGraphScale, TickLabelsShowOneDecimalOnlyWhenNeeded) {
  EXPECT_EQ(LineGraph::tickText(10), "10");
  EXPECT_EQ(LineGraph::tickText(2.5), "2.5");
  EXPECT_EQ(LineGraph::tickText(0), "0");
  EXPECT_EQ(LineGraph::tickText(-2.5), "-2.5");
  EXPECT_EQ(LineGraph::tickText(500 * 0.1 * 0.1 * 0.1), "0.5");
  EXPECT_EQ(LineGraph::tickText(17.5), "17.5");
  EXPECT_EQ(LineGraph::tickText(1234567), "1234567");
}

TEST(LineGraphScale, TickLabelsRoundAsThePagesDo) {
  // Ties go to the even digit, as in the tables, not away from zero.
  EXPECT_EQ(LineGraph::tickText(0.25), "0.2");
  EXPECT_EQ(LineGraph::tickText(1.25), "1.2");
  EXPECT_EQ(LineGraph::tickText(0.75), "0.8");
  EXPECT_EQ(LineGraph::tickText(-0.25), "-0.2");
  EXPECT_EQ(LineGraph::tickText(123456789), "23456789");  // at most eight integer digits
}

TEST(LineGraphScale, EqualValuesGetARangeOfTwo) {
  LineGraph g(500, 160);
  const std::vector<double> flat = {3, 7, 3, 7, 3, 7};
  ASSERT_TRUE(g.addLine(flat, 0, 0));
  ASSERT_TRUE(g.scaleGraph());
  EXPECT_EQ(g.hmin(), 2);
  EXPECT_EQ(g.hmax(), 4);
  EXPECT_EQ(g.vmin(), 6);
  EXPECT_EQ(g.vmax(), 8);
  EXPECT_DOUBLE_EQ(g.hscale(), (478 - 50) / 2.0);
}

TEST(LineGraphScale, NonFiniteDataIsRefused) {
  LineGraph g(500, 160);
  const std::vector<double> bad = {0, 1, 1, std::numeric_limits<double>::quiet_NaN()};
  ASSERT_TRUE(g.addLine(bad, 0, 0));
  StdoutCapture out;
  EXPECT_FALSE(g.drawGraph());
  EXPECT_EQ(out.text(),
            "Error in LineGraph.scaleGraph : FormatError: a data value is not a finite number\n");
  EXPECT_EQ(g.hmax(), 1);  // the previous ranges stay
}

// ---- the worked examples ----

TEST(LineGraphGrid, SeventeenMinutesGiveStepsOfTwoAndAHalf) {
  LineGraph g(500, 160);
  const std::vector<double> pts = {0, 0, 17.3, 10};
  ASSERT_TRUE(g.addLine(pts, 0, 0));
  ASSERT_TRUE(g.drawGraph());
  const std::vector<double> expected = {0, 2.5, 5, 7.5, 10, 12.5, 15, 17.5};
  EXPECT_EQ(g.ticks(LineGraph::kHorizontal), expected);

  // Grid lines up to 15 lie in the plot; 17.5 is right of it and clipped.
  for (double t : expected) {
    const int x = 50 + static_cast<int>(t * g.hscale());
    if (t < 17) {
      EXPECT_EQ(pixelAt(g, 16, x), LineGraph::kGridColour) << t;
    } else {
      EXPECT_GT(x, g.xmax());
      EXPECT_EQ(pixelAt(g, 60, x), LineGraph::kFillColour);
    }
  }
  // Labels are centred under their line; "17.5" is drawn anyway.
  const int top = g.ymax() + 4;
  EXPECT_TRUE(textAt(g, "0", 50 - 7, top));
  EXPECT_TRUE(textAt(g, "2.5", 50 + static_cast<int>(2.5 * g.hscale()) - 14, top));
  EXPECT_TRUE(textAt(g, "10", 50 + static_cast<int>(10 * g.hscale()) - 7, top));
  EXPECT_TRUE(textAt(g, "17.5", 482 - 14, top));
  EXPECT_EQ(countColour(g, LineGraph::kTextColour, 0, 0, 31, 14), 0);  // no multiplier
}

TEST(LineGraphGrid, LabelsRunningOffTheRightEdgeAreLeftOut) {
  // Regression: only the first character of a label that did not fit was
  // drawn, so the last time label of a 16.9-minute match read "1", not 17.5.
  LineGraph g(500, 160);
  const std::vector<double> pts = {0, 0, 16.9, 10};
  ASSERT_TRUE(g.addLine(pts, 0, 0));
  ASSERT_TRUE(g.drawGraph());
  EXPECT_EQ(g.ticks(LineGraph::kHorizontal).back(), 17.5);
  EXPECT_TRUE(textAt(g, "15", 50 + static_cast<int>(15 * g.hscale()) - 7, g.ymax() + 4));
  EXPECT_EQ(countColour(g, LineGraph::kTextColour, 479, g.ymax() + 1, 499, 159), 0);
}

TEST(LineGraphGrid, FifteenHundredPointsOnTheSmallGraph) {
  LineGraph g(500, 160);
  const std::vector<double> pts = {0, 0, 5, 1500};
  ASSERT_TRUE(g.addLine(pts, 0, 0));
  ASSERT_TRUE(g.drawGraph());
  const std::vector<double> expected = {0, 500, 1000, 1500};
  EXPECT_EQ(g.ticks(LineGraph::kVertical), expected);
  // Labels right-aligned 11 pixels left of the plot, in thousands.
  EXPECT_TRUE(textAt(g, "0", 39, 120 - 5));
  EXPECT_TRUE(textAt(g, "0.5", 25, 85 - 5));
  EXPECT_TRUE(textAt(g, "1", 39, 50 - 5));
  EXPECT_TRUE(textAt(g, "1.5", 25, 15 - 5));
  // The multiplier 10 with a raised 3 at the top left.
  EXPECT_TRUE(textAt(g, "10", 3, 20));
  EXPECT_TRUE(glyphAt(g, *font::getBitmap('3'), 17, 15, LineGraph::kTextColour));
  EXPECT_EQ(countColour(g, LineGraph::kTextColour, 24, 0, 49, 9), 0);
}

TEST(LineGraphGrid, OnlyTallCanvasesHalveTheVerticalStep) {
  const std::vector<double> pts = {0, 0, 10, 100};
  LineGraph small(500, 300);
  small.addLine(pts, 0, 0);
  ASSERT_TRUE(small.scaleGraph());
  EXPECT_EQ(small.ticks(LineGraph::kVertical), (std::vector<double>{0, 50, 100}));
  LineGraph big(500, 500);
  big.addLine(pts, 0, 0);
  ASSERT_TRUE(big.scaleGraph());
  EXPECT_EQ(big.ticks(LineGraph::kVertical), (std::vector<double>{0, 25, 50, 75, 100}));
}

TEST(LineGraphGrid, NegativeExponentAndLongExponents) {
  LineGraph g(500, 160);
  const std::vector<double> pts = {0, 0, 0.002, 1e12};
  ASSERT_TRUE(g.addLine(pts, 0, 0));
  ASSERT_TRUE(g.drawGraph());
  // Time in thousandths: 10, minus, 3 at the bottom right.
  EXPECT_TRUE(textAt(g, "10", 450, 142));
  EXPECT_TRUE(textAt(g, "-3", 464, 137));
  // 10^12 shows both digits.
  EXPECT_TRUE(textAt(g, "10", 3, 20));
  EXPECT_TRUE(textAt(g, "12", 17, 15));
}

TEST(LineGraphGrid, AGraphWithoutLinesCollapsesOntoTheEdges) {
  LineGraph g(500, 160);
  ASSERT_TRUE(g.drawGraph());
  EXPECT_EQ(g.hmin(), 0);
  EXPECT_EQ(g.hmax(), 1);
  EXPECT_EQ(g.hscale(), 0);
  // Nothing inside the frame; the frame itself is drawn.
  EXPECT_EQ(countColour(g, LineGraph::kFillColour, 51, 16, 477, 119), 427 * 104);
  EXPECT_EQ(pixelAt(g, 15, 200), LineGraph::kGridColour);
  EXPECT_EQ(pixelAt(g, 120, 200), LineGraph::kGridColour);
}

// ---- lines ----

TEST(LineGraphLines, AutomaticColoursAndStylesCycle) {
  LineGraph g(500, 160);
  const std::vector<double> pts = {0, 0, 1, 1};
  for (int i = 0; i < 18; ++i) ASSERT_TRUE(g.addLine(pts, 0, 0));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(g.lines()[static_cast<size_t>(i)].colour, 255 - (i + 1));
    EXPECT_EQ(g.lines()[static_cast<size_t>(i)].style, i % 2 == 0 ? 1 : 2);
  }
  // The 17th line: colour 1 again, dashed because the second block flips.
  EXPECT_EQ(g.lines()[16].colour, 254);
  EXPECT_EQ(g.lines()[16].style, 2);
  EXPECT_EQ(g.lines()[17].colour, 253);
  EXPECT_EQ(g.lines()[17].style, 1);

  StdoutCapture out;
  EXPECT_FALSE(g.addLine(pts, 17, 0));
  EXPECT_FALSE(g.addLine(pts, -1, 0));
  EXPECT_FALSE(g.addLine(pts, 3, 4));
  EXPECT_EQ(out.text(),
            "LineGraph : invalid line color\nLineGraph : invalid line color\n"
            "LineGraph : invalid line style\n");
  EXPECT_EQ(g.lines().size(), 18u);
  EXPECT_TRUE(g.addLine(pts, 16, 3));
  EXPECT_EQ(g.lines().back().colour, 239);
}

// Columns of row `y` from x0 to x1 that hold `c`, as offsets from x0.
std::vector<int> onColumns(const LineGraph& g, int y, int x0, int x1, uint8_t c) {
  std::vector<int> on;
  for (int x = x0; x <= x1; ++x)
    if (pixelAt(g, y, x) == c) on.push_back(x - x0);
  return on;
}

TEST(LineGraphLines, DashPatternsContinueAcrossSegments) {
  LineGraph g(500, 160);
  g.drawLine(100, 50, 117, 50, 250, 2);
  EXPECT_EQ(onColumns(g, 50, 100, 117, 250),
            (std::vector<int>{2, 3, 4, 5, 6, 7, 11, 12, 13, 14, 15, 16}));
  LineGraph s(500, 160);
  s.drawLine(100, 60, 113, 60, 250, 3);
  EXPECT_EQ(onColumns(s, 60, 100, 113, 250), (std::vector<int>{2, 3, 7, 8, 12, 13}));

  // Two segments sharing an end point dash exactly like one segment.
  LineGraph one(500, 160), two(500, 160);
  one.drawLine(100, 70, 130, 70, 250, 2);
  two.drawLine(100, 70, 115, 70, 250, 2);
  two.drawLine(115, 70, 130, 70, 250, 2);
  EXPECT_EQ(onColumns(one, 70, 100, 130, 250), onColumns(two, 70, 100, 130, 250));

  // Backwards segments draw nothing.
  g.drawLine(300, 80, 200, 80, 250, 1);
  EXPECT_TRUE(onColumns(g, 80, 0, 499, 250).empty());
}

TEST(LineGraphLines, DrawingStaysInsideThePlot) {
  LineGraph g(500, 160);
  g.drawLine(-100, -50, 700, 600, 250, 1);
  g.drawLine(-100, 600, 700, -50, 251, 1);
  g.drawLine(0, 100, 499, 100, 252, 1);
  for (int y = 0; y < 160; ++y)
    for (int x = 0; x < 500; ++x) {
      const bool inside = x >= 50 && x <= 478 && y >= 15 && y <= 120;
      if (!inside) {
        ASSERT_EQ(pixelAt(g, y, x), LineGraph::kFillColour) << x << "," << y;
      }
    }
  EXPECT_EQ(pixelAt(g, 100, 50), 252);
  EXPECT_EQ(pixelAt(g, 100, 478), 252);

  // Bounds reaching beyond the canvas are clipped at its edges.
  g.setBounds(-10, -10, -10, -10);
  g.drawLine(-20, 30, 520, 30, 249, 1);
  EXPECT_EQ(pixelAt(g, 30, 0), 249);
  EXPECT_EQ(pixelAt(g, 30, 499), 249);
}

TEST(LineGraphLines, DataLinesAreTwoPixelsThick) {
  LineGraph g(500, 160);
  const std::vector<double> a = {0, 10, 10, 10};
  const std::vector<double> b = {0, 0, 10, 20};
  g.addLine(a, 0, 1);
  g.addLine(b, 0, 0);  // sets the vertical range 0 to 20
  ASSERT_TRUE(g.drawGraph());
  const int y = g.ymax() - static_cast<int>(10 * g.vscale());
  EXPECT_EQ(pixelAt(g, y, 100), 254);
  EXPECT_EQ(pixelAt(g, y + 1, 100), 254);
  EXPECT_NE(pixelAt(g, y + 2, 100), 254);
  EXPECT_NE(pixelAt(g, y - 1, 100), 254);
}

// ---- background and titles ----

std::vector<uint8_t> rampColormap() {
  std::vector<uint8_t> map(768);
  for (size_t i = 0; i < 768; ++i) map[i] = static_cast<uint8_t>(i / 3);
  return map;
}

TEST(LineGraphBackground, SmallerImageLeavesTheFillAround) {
  LineGraph g(500, 160);
  const LineGraph::Rows pix(10, std::vector<uint8_t>(10, 7));
  const auto map = rampColormap();
  EXPECT_FALSE(g.loadBackgroundImage(pix, std::span(map).first(765)));
  ASSERT_TRUE(g.loadBackgroundImage(pix, map));
  EXPECT_EQ(pixelAt(g, 5, 5), 255);  // shown only from the next initGraph
  g.initGraph();
  EXPECT_EQ(pixelAt(g, 5, 5), 7);
  EXPECT_EQ(pixelAt(g, 9, 9), 7);
  EXPECT_EQ(pixelAt(g, 10, 5), 255);
  EXPECT_EQ(pixelAt(g, 5, 10), 255);
  const auto& cm = g.colormap();
  EXPECT_EQ(cm[7 * 3], 7);
  EXPECT_EQ(cm[236 * 3 + 2], 236);
  for (size_t i = 0; i < LineGraph::lineColors.size(); ++i)
    for (size_t c = 0; c < 3; ++c) EXPECT_EQ(cm[(237 + i) * 3 + c], LineGraph::lineColors[i][c]);
  EXPECT_EQ(cm[255 * 3], 120);
  EXPECT_EQ(cm[255 * 3 + 1], 120);
  EXPECT_EQ(cm[255 * 3 + 2], 120);

  // A larger image is cut to the canvas.
  const LineGraph::Rows wide(400, std::vector<uint8_t>(900, 9));
  ASSERT_TRUE(g.loadBackgroundImage(wide, map));
  g.initGraph();
  EXPECT_EQ(pixelAt(g, 159, 499), 9);
}

TEST(LineGraphBackground, UnusableFilesLeaveTheFill) {
  TestDir dir;
  LineGraph g(500, 160);
  {
    StdoutCapture out;
    EXPECT_FALSE(g.loadBackgroundImage(dir / "missing.gif"));
    EXPECT_EQ(out.text().rfind("Error in LineGraph.loadBackgroundImage : IOError: ", 0), 0u);
  }
  {
    StdoutCapture out;
    EXPECT_FALSE(g.loadBackgroundImage(dir.write("text.gif", "hello, world")));
    EXPECT_EQ(out.text(),
              "decode: Input Stream is not a GIF\ndecode: end\nLineGraph.lbi: not a valid gif\n");
  }
  // A valid GIF with a 4-entry table is not a usable background.
  Gif small;
  small.width = small.columns = 2;
  small.height = small.rows = 2;
  small.pixels = {{0, 1}, {2, 3}};
  small.colormap = rampColormap();
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(small.encode(bytes));
  bytes[10] = 0x81;  // a global table of 4 entries
  bytes.erase(bytes.begin() + 13 + 12, bytes.begin() + 13 + 768);
  platform::writeFile(dir / "four.gif", std::string(bytes.begin(), bytes.end()));
  StdoutCapture out;
  const bool loaded = g.loadBackgroundImage(dir / "four.gif");
  EXPECT_EQ(out.text(), "");  // decoded fine, refused silently
  EXPECT_FALSE(loaded);
  g.initGraph();
  EXPECT_EQ(countColour(g, 255, 0, 0, 499, 159), 500 * 160);
}

TEST(LineGraphBackground, ShippedBackgroundsLoad) {
  const std::pair<const char*, int> files[] = {{"graph_back_Vardo_big.gif", 500},
                                               {"graph_back_Vardo.gif", 160}};
  for (auto [name, h] : files) {
    LineGraph g(500, h);
    StdoutCapture out;
    const bool loaded = g.loadBackgroundImage(sourceDir() + "/assets/graphics/" + name);
    const std::string said = out.text();
    ASSERT_TRUE(loaded) << name << ": " << said;
    EXPECT_EQ(said, "");
    g.initGraph();
    EXPECT_EQ(countColour(g, 255, 0, 0, 499, h - 1), 0) << name;  // covers the canvas
  }
}

TEST(LineGraphTitles, TitlesFollowTheLabelKind) {
  LineGraph g(500, 160);
  EXPECT_EQ(font::fragsV().size(), 35u);
  EXPECT_EQ(font::fragsV()[0].size(), 13u);
  EXPECT_EQ(font::time().size(), 13u);
  EXPECT_EQ(font::time()[0].size(), 64u);
  const std::pair<int, const font::Glyph*> kinds[] = {
      {0, &font::fragsV()}, {1, &font::scoreV()}, {2, &font::livesV()}, {7, &font::livesV()}};
  for (auto [kind, glyph] : kinds) {
    g.initGraph();
    g.setLabel(kind);
    g.drawLabels();
    EXPECT_TRUE(glyphAt(g, *glyph, 11, (160 - 35) / 2, LineGraph::kTextColour)) << kind;
    EXPECT_TRUE(glyphAt(g, font::time(), (500 - 13) / 2, 160 - 20, LineGraph::kTextColour));
  }
  EXPECT_NE(font::fragsV(), font::scoreV());
  EXPECT_NE(font::scoreV(), font::livesV());
}

// ---- a complete graph against its reviewed picture ----

// A 32-player match of 40 samples, the same on every run.
LineGraph& drawSampleGraph(LineGraph& g) {
  g.initGraph();
  g.setLabel(1);
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int p = 0; p < 32; ++p) {
    std::vector<double> pts;
    double score = 0;
    for (int i = 0; i < 40; ++i) {
      pts.push_back(i * 26.0 / 60);
      pts.push_back(score);
      score += static_cast<double>(next() % static_cast<unsigned>(4 + 32 - p)) - 1.5;
    }
    g.addLine(pts, 0, 0);
  }
  return g;
}

TEST(LineGraphGolden, CompleteGraphMatchesTheReviewedPicture) {
  LineGraph g(500, 500);
  ASSERT_TRUE(g.loadBackgroundImage(sourceDir() + "/assets/graphics/graph_back_Vardo_big.gif"));
  drawSampleGraph(g);
  ASSERT_TRUE(g.drawGraph());
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(g.writeToGif(bytes));

  const std::string golden = sourceDir() + "/tests/data/graph_golden.gif";
  if (std::getenv("BRIM_UPDATE_GOLDEN") != nullptr)
    platform::writeFile(golden, std::string(bytes.begin(), bytes.end()));
  const std::string stored = platform::readFile(golden);
  Gif ref;
  ASSERT_TRUE(ref.decode(bytesOf(stored)));
  EXPECT_EQ(ref.colormap, g.colormap());
  ASSERT_EQ(ref.pixels.size(), g.pixels().size());
  int differ = 0;
  for (size_t y = 0; y < ref.pixels.size(); ++y)
    for (size_t x = 0; x < ref.pixels[y].size(); ++x)
      differ += ref.pixels[y][x] != g.pixels()[y][x];
  EXPECT_EQ(differ, 0) << "pixels differ from tests/data/graph_golden.gif";

  // Drawing twice without initGraph draws over the first picture; after
  // initGraph the same lines give the same picture again.
  drawSampleGraph(g);
  ASSERT_TRUE(g.drawGraph());
  EXPECT_TRUE(ref.pixels == g.pixels());
}

}  // namespace
