#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "util/Gif.h"
#include "util/font.h"

namespace util {

// The score-over-time graph: a palettised canvas of width x height pixels on
// which grid, frame, tick labels, axis titles and the data lines are drawn,
// written out as a GIF.
//
// A graph is made once and reused: per image call initGraph(), setLabel(),
// addLine() for every line, drawGraph() and writeToGif(). A new canvas and
// its background are filled with palette entry 255, which is also what a
// graph shows where no background image covers it.
//
// Palette: entries 0 to 236 come from the background image (black until one
// is loaded); entries 237 to 255 are always `lineColors`: 237 grid and frame,
// 238 text, 239 to 254 the line colours 16 down to 1 (line colour c is
// palette index 255 - c), 255 the grey fill.
//
// Complaints are printed as lines on standard output. Only the constructor
// and the drawing steps that drawGraph() runs and reports for (drawGrid(),
// drawDouble(), drawExp()) throw; they are public for tests and special
// callers. drawLine() and drawLines() report their own failures.
class LineGraph {
 public:
  using Rows = Gif::Rows;
  enum Axis : int32_t { kVertical = 0, kHorizontal = 1 };

  // One data line: (time, value) pairs flattened, its palette index and its
  // dash style (1 solid, 2 long dashes, 3 short dashes).
  struct Line {
    std::vector<double> points;
    int32_t colour;
    int32_t style;
  };

  static constexpr uint8_t kGridColour = 237;
  static constexpr uint8_t kTextColour = 238;
  static constexpr uint8_t kFillColour = 255;
  static constexpr int32_t kFirstFixedEntry = 237;
  // RGB of palette entries 237 to 255.
  static const std::array<std::array<uint8_t, 3>, 19> lineColors;

  // Throws std::invalid_argument unless both sizes are 1 to 65535.
  LineGraph(int32_t width, int32_t height);

  // 0 titles the vertical axis "frags", 1 "score", anything else "lives".
  void setLabel(int32_t kind);
  // Margins of the plot rectangle in pixels.
  void setBounds(int32_t top, int32_t bottom, int32_t left, int32_t right);
  // Installs a background: answers false and changes nothing unless `cmap`
  // holds exactly 768 bytes (256 entries). Copies the part of `pix` that
  // overlaps the canvas and leaves entry 255 elsewhere; takes `cmap` as the
  // palette with entries 237 to 255 replaced by `lineColors`. The canvas shows
  // it from the next initGraph().
  bool loadBackgroundImage(const Rows& pix, std::span<const uint8_t> cmap);
  // Reads the GIF file `fileName` and installs it as above. A missing,
  // unreadable or refused file (or one whose colour table is not 256
  // entries) leaves the background as it was and answers false.
  bool loadBackgroundImage(const std::string& fileName);
  // Copies the background over the canvas and forgets the lines; label,
  // bounds, ranges and scales stay.
  void initGraph();
  // Returns the data ranges to those of a new graph (0 to 1 on both axes)
  // with the scales that fit them to the plot rectangle, so that an image
  // without points draws those axes and not the last image's.
  void resetScales();
  // Appends the GIF of the current canvas and palette to `out`.
  bool writeToGif(std::vector<uint8_t>& out);
  // Adds a line of (time, value) pairs (a trailing odd value is ignored).
  // `colour` 1 to 16, or 0 for (n mod 16) + 1 with n the lines so far;
  // `style` 1 to 3, or 0 for alternating solid and dashed lines whose order
  // flips with every block of 16 lines. Other values print a line and
  // answer false.
  bool addLine(std::span<const double> points, int32_t colour, int32_t style);
  // Sets the data ranges and scales from the points of all lines; keeps the
  // previous ones when there are no points. False (with a printed line) when
  // a value is not finite or a range too wide for a double.
  bool scaleGraph();
  // The next value of 1, 2, 5, 10, 20, 50, ... at or above v (> 0).
  static double RoundUp(double v);
  void drawGrid();
  // The multiplier "10" with a raised exponent: top left for the vertical
  // axis, bottom right for the horizontal one.
  void drawExp(int32_t exponent, Axis corner);
  // A tick label at pixel `position` (a row for the vertical axis, a column
  // for the horizontal one).
  void drawDouble(double value, int32_t position, Axis axis);
  void drawAxis();
  // Sets every inked cell of `glyph` with its top-left corner at (x0, y0),
  // skipping pixels outside the canvas.
  void drawLabel(int32_t x0, int32_t y0, const font::Glyph& glyph, uint8_t colour);
  void drawLabels();
  // Draws from (x0, y0) to (x1, y1) inside the plot rectangle, continuing
  // the dash pattern of the line being drawn; nothing when x1 < x0.
  void drawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t colour, int32_t style);
  void drawLines();
  // Scales and draws grid, frame, titles and lines; false when scaling fails
  // or a drawing step fails (what was drawn stays).
  bool drawGraph();

  // The decimal logarithm; throws for x <= 0 with the text "range exception".
  static double log10(double x);
  // Power of ten (a multiple of 3) in which the tick labels of an axis with
  // this data range are shown.
  static int32_t axisExp(double lo, double hi);
  // A tick value as its label shows it: one decimal, none for whole numbers.
  static std::string tickText(double value);
  // The grid values drawGrid() uses for an axis with the current ranges.
  std::vector<double> ticks(Axis axis) const;

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // The canvas: height() rows of width() palette indices.
  const Rows& pixels() const { return gif_.pixels; }
  const Rows& bgpix() const { return bgpix_; }
  const std::vector<uint8_t>& colormap() const { return gif_.colormap; }
  const std::vector<Line>& lines() const { return lines_; }
  int32_t xmin() const { return xmin_; }
  int32_t xmax() const { return xmax_; }
  int32_t ymin() const { return ymin_; }
  int32_t ymax() const { return ymax_; }
  double hmin() const { return hmin_; }
  double hmax() const { return hmax_; }
  double vmin() const { return vmin_; }
  double vmax() const { return vmax_; }
  double hscale() const { return hscale_; }
  double vscale() const { return vscale_; }
  int32_t label() const { return label_; }

 private:
  void setPixel(int64_t x, int64_t y, uint8_t colour);
  int32_t toX(double h) const;
  int32_t toY(double v) const;
  void applyFixedColours();

  int32_t width_;
  int32_t height_;
  Gif gif_;  // owns the canvas (gif_.pixels) and the palette (gif_.colormap)
  Rows bgpix_;
  int32_t xmin_ = 0, xmax_ = 0, ymin_ = 0, ymax_ = 0;
  double hmin_ = 0, hmax_ = 1, vmin_ = 0, vmax_ = 1;
  double hscale_ = 0, vscale_ = 0;
  int32_t label_ = 0;
  int64_t dashDot_ = 0;
  std::vector<Line> lines_;
};

}  // namespace util
