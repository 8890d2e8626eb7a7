#include "util/LineGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "util/Console.h"
#include "util/NumberFormat.h"
#include "util/Trace.h"

namespace util {
namespace {

// Truncation toward zero into a pixel coordinate.
int32_t truncToPixel(double v) {
  if (!(v > -1e9 && v < 1e9)) throw base::FormatError("pixel coordinate out of range");
  return static_cast<int32_t>(v);
}

// v times 10 to the power of -exp, by repeated multiplication.
double unscale(double v, int32_t exp) {
  for (int32_t i = 0; i < exp; ++i) v *= 0.1;
  for (int32_t i = 0; i > exp; --i) v *= 10;
  return v;
}

// Values start, start + step, ... up to the first one at or beyond max.
std::vector<double> gridValues(double start, double step, double max) {
  std::vector<double> values;
  int32_t count = 1;
  for (double t = start; max > t; ++count) {
    const double next = t + step;
    // A step lost in the rounding of its start would never reach max.
    if (!(next > t) || count > 10000)
      throw base::FormatError("grid step too small for the data range");
    t = next;
  }
  for (int32_t i = 0; i < count; ++i) values.push_back(i * step + start);
  return values;
}

}  // namespace

// Chosen for a dark background: a grid that stays in the background, white
// text, and line colours far apart in hue or lightness. Colours 1 to 4 follow
// the team colours blue, red, green and gold.
const std::array<std::array<uint8_t, 3>, 19> LineGraph::lineColors = {{
    {72, 84, 110},    // 237 grid and frame
    {255, 255, 255},  // 238 text
    {205, 95, 60},    // 239 line colour 16: rust
    {190, 190, 190},  // 240 line colour 15: silver
    {150, 255, 190},  // 241 line colour 14: mint
    {0, 170, 140},    // 242 line colour 13: teal
    {210, 160, 100},  // 243 line colour 12: tan
    {150, 210, 255},  // 244 line colour 11: sky
    {255, 150, 200},  // 245 line colour 10: pink
    {150, 110, 255},  // 246 line colour 9: violet
    {170, 240, 60},   // 247 line colour 8: lime
    {235, 70, 220},   // 248 line colour 7: magenta
    {40, 220, 230},   // 249 line colour 6: cyan
    {255, 135, 30},   // 250 line colour 5: orange
    {255, 205, 40},   // 251 line colour 4: gold
    {60, 210, 80},    // 252 line colour 3: green
    {255, 70, 70},    // 253 line colour 2: red
    {64, 140, 255},   // 254 line colour 1: blue
    {120, 120, 120},  // 255 fill where no background covers the canvas
}};

LineGraph::LineGraph(int32_t width, int32_t height) : width_(width), height_(height) {
  if (width < 1 || width > 0xFFFF || height < 1 || height > 0xFFFF)
    throw std::invalid_argument("graph size out of range");
  const auto w = static_cast<size_t>(width);
  const auto h = static_cast<size_t>(height);
  bgpix_.assign(h, std::vector<uint8_t>(w, kFillColour));
  gif_.width = gif_.columns = width;
  gif_.height = gif_.rows = height;
  gif_.pixels = bgpix_;
  gif_.pix.resize(w * h);
  gif_.colormap.assign(768, 0);
  applyFixedColours();
  xmin_ = 2;
  xmax_ = width - 3;
  ymin_ = 2;
  ymax_ = height - 3;
  setBounds(15, 40, 50, 22);
}

void LineGraph::applyFixedColours() {
  for (size_t i = 0; i < lineColors.size(); ++i)
    for (size_t c = 0; c < 3; ++c) gif_.colormap[(kFirstFixedEntry + i) * 3 + c] = lineColors[i][c];
}

void LineGraph::setLabel(int32_t kind) { label_ = kind; }

void LineGraph::setBounds(int32_t top, int32_t bottom, int32_t left, int32_t right) {
  ymin_ = top;
  ymax_ = height_ - bottom;
  xmin_ = left;
  xmax_ = width_ - right;
}

bool LineGraph::loadBackgroundImage(const Rows& pix, std::span<const uint8_t> cmap) {
  if (cmap.size() != 768) return false;
  for (auto& row : bgpix_) std::fill(row.begin(), row.end(), kFillColour);
  const size_t rows = std::min(pix.size(), bgpix_.size());
  for (size_t y = 0; y < rows; ++y) {
    const size_t cols = std::min(pix[y].size(), bgpix_[y].size());
    std::copy_n(pix[y].begin(), cols, bgpix_[y].begin());
  }
  std::copy(cmap.begin(), cmap.end(), gif_.colormap.begin());
  applyFixedColours();
  return true;
}

bool LineGraph::loadBackgroundImage(const std::string& fileName) {
  try {
    const std::string data = platform::os().readFile(fileName);
    Gif g;
    if (!g.decode(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()))) {
      printLine("LineGraph.lbi: not a valid gif");
      return false;
    }
    return loadBackgroundImage(g.pixels, g.colormap);
  } catch (const std::exception& e) {
    printLine(failureLine("LineGraph", "loadBackgroundImage", e, " : "));
    return false;
  }
}

void LineGraph::initGraph() {
  for (size_t y = 0; y < bgpix_.size(); ++y)
    std::copy(bgpix_[y].begin(), bgpix_[y].end(), gif_.pixels[y].begin());
  lines_.clear();
}

void LineGraph::resetScales() {
  hmin_ = 0;
  hmax_ = 1;
  vmin_ = 0;
  vmax_ = 1;
  hscale_ = std::fabs(static_cast<double>(xmax_ - xmin_));
  vscale_ = std::fabs(static_cast<double>(ymax_ - ymin_));
}

bool LineGraph::writeToGif(std::vector<uint8_t>& out) {
  try {
    return gif_.encode(out);
  } catch (const std::exception& e) {
    printLine(failureLine("LineGraph", "writeToGif", e, " : "));
    return false;
  }
}

bool LineGraph::addLine(std::span<const double> points, int32_t colour, int32_t style) {
  if (colour < 0 || colour > 16) {
    printLine("LineGraph : invalid line color");
    return false;
  }
  if (style < 0 || style > 3) {
    printLine("LineGraph : invalid line style");
    return false;
  }
  const auto n = static_cast<int32_t>(lines_.size());
  if (colour == 0) colour = n % 16 + 1;
  if (style == 0) style = 2 - ((1 - n % 2) + (n / 16) % 2) % 2;
  lines_.push_back({std::vector<double>(points.begin(), points.end()), 255 - colour, style});
  return true;
}

bool LineGraph::scaleGraph() {
  try {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double hLo = kInf, hHi = -kInf, vLo = kInf, vHi = -kInf;
    for (const Line& l : lines_) {
      for (size_t i = 0; i + 1 < l.points.size(); i += 2) {
        const double h = l.points[i];
        const double v = l.points[i + 1];
        if (!std::isfinite(h) || !std::isfinite(v))
          throw base::FormatError("a data value is not a finite number");
        hLo = std::min(hLo, h);
        hHi = std::max(hHi, h);
        vLo = std::min(vLo, v);
        vHi = std::max(vHi, v);
      }
    }
    if (hLo == kInf) return true;  // no points: keep the last ranges
    if (hLo == hHi) {
      hLo -= 1;
      hHi += 1;
    }
    if (vLo == vHi) {
      vLo -= 1;
      vHi += 1;
    }
    const double hs = std::fabs((xmax_ - xmin_) / (hHi - hLo));
    const double vs = std::fabs((ymax_ - ymin_) / (vHi - vLo));
    if (!std::isfinite(hHi - hLo) || !std::isfinite(vHi - vLo) || !std::isfinite(hs) ||
        !std::isfinite(vs))
      throw base::FormatError("the data range is too wide");
    hmin_ = hLo;
    hmax_ = hHi;
    vmin_ = vLo;
    vmax_ = vHi;
    hscale_ = hs;
    vscale_ = vs;
    return true;
  } catch (const std::exception& e) {
    printLine(failureLine("LineGraph", "scaleGraph", e, " : "));
    return false;
  }
}

double LineGraph::log10(double x) {
  if (!(x > 0)) throw std::domain_error("range exception");
  return std::log(x) * 0.43429448190325176;
}

double LineGraph::RoundUp(double v) {
  const double l = log10(v);
  if (!std::isfinite(l)) throw std::domain_error("range exception");
  const auto e = static_cast<int32_t>(std::floor(l));
  for (int32_t i = 0; i > e; --i) v *= 10;
  for (int32_t i = 0; i < e; ++i) v *= 0.1;
  v = v > 5 ? 10 : v > 2 ? 5 : v > 1 ? 2 : 1;
  for (int32_t i = 0; i > e; --i) v *= 0.1;
  for (int32_t i = 0; i < e; ++i) v *= 10;
  return v;
}

namespace {

// 10^e, exact where the double can hold it and correctly rounded for small
// negative e (1 / 10^-e), whatever the C library's pow() makes of it.
double powerOfTen(int32_t e) {
  if (e < -22 || e > 22) return std::pow(10.0, e);
  double p = 1.0;
  for (int32_t i = 0; i < (e < 0 ? -e : e); ++i) p *= 10.0;
  return e < 0 ? 1.0 / p : p;
}

}  // namespace

int32_t LineGraph::axisExp(double lo, double hi) {
  const double m = std::fabs(lo) > std::fabs(hi) ? std::fabs(lo) : std::fabs(hi);
  const double l = log10(m);
  if (!std::isfinite(l)) throw std::domain_error("range exception");
  auto e = 3 * static_cast<int32_t>(std::floor(l * 0.3333333333333333));
  // The rounded logarithm puts 1000, 10^6, ... below their own band; move
  // exact powers of 1000 up so that 1000 shows as 1 x 10^3.
  while (powerOfTen(e + 3) <= m) e += 3;
  while (e > -330 && powerOfTen(e) > m) e -= 3;
  return e;
}

std::string LineGraph::tickText(double value) {
  // The number format of the pages, so that a value reads the same in a
  // table and on a graph's axis.
  static const NumberFormat fmt;
  std::string s = fmt.format(value);
  if (s.size() >= 2 && s.ends_with(".0")) s.resize(s.size() - 2);
  return s;
}

std::vector<double> LineGraph::ticks(Axis axis) const {
  if (axis == kHorizontal) {
    const double step = RoundUp((hmax_ - hmin_) / 4);
    const double start = std::floor(hmin_ / step) * step;
    return gridValues(start, step / 2, hmax_);
  }
  double step = RoundUp((vmax_ - vmin_) / 4);
  if (height_ > 300) step /= 2;
  return gridValues(std::floor(vmin_ / step) * step, step, vmax_);
}

int32_t LineGraph::toX(double h) const { return xmin_ + truncToPixel((h - hmin_) * hscale_); }

int32_t LineGraph::toY(double v) const { return ymax_ - truncToPixel((v - vmin_) * vscale_); }

void LineGraph::drawGrid() {
  const int32_t hExp = axisExp(hmin_, hmax_);
  const int32_t vExp = axisExp(vmin_, vmax_);
  for (double v : ticks(kVertical)) {
    const int32_t y = toY(v);
    if (y < ymin_ || y > ymax_) continue;
    drawLine(xmin_, y, xmax_, y, kGridColour, 1);
    drawDouble(unscale(v, vExp), y, kVertical);
  }
  for (double h : ticks(kHorizontal)) {
    const int32_t x = toX(h);
    drawLine(x, ymin_, x, ymax_, kGridColour, 1);
    drawDouble(unscale(h, hExp), x, kHorizontal);
  }
  if (vExp != 0) drawExp(vExp, kVertical);
  if (hExp != 0) drawExp(hExp, kHorizontal);
}

void LineGraph::drawDouble(double value, int32_t position, Axis axis) {
  const std::string s = tickText(value);
  const auto n = static_cast<int32_t>(s.size());
  auto glyph = [&](int32_t k) { return font::getBitmap(s[static_cast<size_t>(k)]); };
  if (axis == kVertical) {
    int32_t top = position - 5;
    if (top < 0) top = 0;
    if (position - 5 + 10 >= height_) top = height_ - 11;
    int32_t left = xmin_ - 11 - 7 * (n - 1);
    // A label too long for the left margin starts at the canvas edge instead
    // of losing its first character.
    if (xmin_ - 4 - 7 * (n - 1) <= 0) left = 0;
    for (int32_t k = 0; k < n; ++k)
      if (const font::Glyph* g = glyph(k)) drawLabel(left + 7 * k, top, *g, kTextColour);
    return;
  }
  int32_t top = ymax_ + 4;
  // With a bottom margin under 15 pixels the labels sit on the bottom edge.
  if (top + 11 > height_) top = std::max(0, height_ - 11);
  const int32_t left = position - 7 * ((n - 1) / 2 + 1);
  // A label that would run off the right edge is left out whole: a cut one
  // ("1" for 17.5) would show a wrong value.
  if (left + 7 * n >= width_) return;
  for (int32_t k = 0; k < n; ++k)
    if (const font::Glyph* g = glyph(k)) drawLabel(left + 7 * k, top, *g, kTextColour);
}

void LineGraph::drawExp(int32_t exponent, Axis corner) {
  const int32_t bx = corner == kVertical ? 3 : width_ - 50;
  const int32_t by = corner == kVertical ? 20 : height_ - 18;
  drawLabel(bx, by, *font::getBitmap('1'), kTextColour);
  drawLabel(bx + 7, by, *font::getBitmap('0'), kTextColour);
  int32_t x = bx + 14;
  if (exponent < 0) {
    drawLabel(x, by - 5, *font::getBitmap('-'), kTextColour);
    x += 7;
  }
  // Beyond 9 every digit is shown, so that no multiplier is left ambiguous.
  const std::string digits = std::to_string(exponent < 0 ? -int64_t{exponent} : exponent);
  if (digits == "0") return;
  for (char c : digits) {
    drawLabel(x, by - 5, *font::getBitmap(c), kTextColour);
    x += 7;
  }
}

void LineGraph::drawAxis() {
  drawLine(xmin_, ymin_, xmin_, ymax_, kGridColour, 1);
  drawLine(xmin_, ymax_, xmax_, ymax_, kGridColour, 1);
  drawLine(xmax_, ymin_, xmax_, ymax_, kGridColour, 1);
  drawLine(xmin_, ymin_, xmax_, ymin_, kGridColour, 1);
}

void LineGraph::drawLabel(int32_t x0, int32_t y0, const font::Glyph& glyph, uint8_t colour) {
  for (size_t i = 0; i < glyph.size(); ++i)
    for (size_t j = 0; j < glyph[i].size(); ++j)
      if (glyph[i][j] == 1)
        setPixel(int64_t{x0} + static_cast<int64_t>(j), int64_t{y0} + static_cast<int64_t>(i),
                 colour);
}

void LineGraph::drawLabels() {
  const font::Glyph& title = label_ == 0   ? font::fragsV()
                             : label_ == 1 ? font::scoreV()
                                           : font::livesV();
  drawLabel(11, (height_ - 35) / 2, title, kTextColour);
  drawLabel((width_ - 13) / 2, height_ - 20, font::time(), kTextColour);
}

void LineGraph::setPixel(int64_t x, int64_t y, uint8_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  gif_.pixels[static_cast<size_t>(y)][static_cast<size_t>(x)] = colour;
}

void LineGraph::drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour,
                         int32_t style) {
  try {
    if (x1 < x0) return;
    const double slope = (static_cast<double>(y1) - y0) / (static_cast<double>(x1) - x0 + 1);
    double yloc = y0;
    int64_t yend = y0;
    auto candidate = [&](int64_t x, int64_t y) {
      ++dashDot_;
      if (y < ymin_ || y > ymax_) return;
      const bool on = style == 1 ? true : style == 2 ? dashDot_ % 9 >= 3 : dashDot_ % 5 >= 3;
      if (on) setPixel(x, y, colour);
    };
    for (int64_t x = x0; x <= x1; ++x) {
      const int64_t ystart = yend;
      yloc += slope;
      yend = truncToPixel(yloc);
      if (x < xmin_ || x > xmax_) continue;
      if (yend > ystart) {
        for (int64_t y = ystart; y < yend; ++y) candidate(x, y);
      } else if (yend < ystart) {
        for (int64_t y = ystart; y > yend; --y) candidate(x, y);
      } else {
        candidate(x, ystart);
      }
    }
    --dashDot_;
  } catch (const std::exception& e) {
    printLine(failureLine("LineGraph", "drawLine", e, " : "));
  }
}

void LineGraph::drawLines() {
  try {
    for (const Line& l : lines_) {
      const auto colour = static_cast<uint8_t>(l.colour);
      for (size_t i = 0; i + 3 < l.points.size(); i += 2) {
        const int32_t x0 = toX(l.points[i]);
        const int32_t y0 = toY(l.points[i + 1]);
        const int32_t x1 = toX(l.points[i + 2]);
        const int32_t y1 = toY(l.points[i + 3]);
        const int64_t saved = dashDot_;
        drawLine(x0, y0, x1, y1, colour, l.style);
        dashDot_ = saved;
        drawLine(x0, y0 + 1, x1, y1 + 1, colour, l.style);
      }
      dashDot_ = 0;
    }
  } catch (const std::exception& e) {
    dashDot_ = 0;
    printLine(failureLine("LineGraph", "drawLines", e, " : "));
  }
}

bool LineGraph::drawGraph() {
  try {
    if (!scaleGraph()) return false;
    drawGrid();
    drawAxis();
    drawLabels();
    drawLines();
    return true;
  } catch (const std::exception& e) {
    printLine(failureLine("LineGraph", "drawGraph", e, " : "));
    return false;
  }
}

}  // namespace util
