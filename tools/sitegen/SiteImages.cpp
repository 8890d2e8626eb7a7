#include "tools/sitegen/SiteImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string_view>

#include "tools/sitegen/GraphBackgrounds.h"
#include "util/Gif.h"
#include "util/LineGraph.h"

namespace tools::sitegen {
namespace {

// The house colours of the default skin (see skins/skin.css).
constexpr uint32_t kInk = 0x1F2A44;      // deep slate: banners, headings
constexpr uint32_t kInkDark = 0x141C30;  // banner shade
constexpr uint32_t kGold = 0xFDD932;     // the title colour of the pages
constexpr uint32_t kGoldDark = 0xC9A20F;
constexpr uint32_t kPaper = 0xF4F2EC;  // page background
constexpr uint32_t kPaperLine = 0xEAE6DC;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kFrame = 0x3A4563;
constexpr uint32_t kMuted = 0xB9BFCC;

// A 5 x 7 capital-letter font for the logo texts; '#' is ink.
const std::map<char, std::array<std::string_view, 7>>& letters() {
  static const std::map<char, std::array<std::string_view, 7>> kLetters = {
      {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
      {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
      {'C', {" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"}},
      {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
      {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
      {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
      {'G', {" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"}},
      {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
      {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
      {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
      {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
      {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
      {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
      {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
      {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
      {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
      {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
      {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {' ', {"     ", "     ", "     ", "     ", "     ", "     ", "     "}},
  };
  return kLetters;
}

// An RGB picture drawn with a few flat shapes, turned into a GIF of at most
// 256 colours.
class Canvas {
 public:
  Canvas(int32_t width, int32_t height, uint32_t fill)
      : width_(width), height_(height), px_(static_cast<size_t>(width * height), fill) {}

  void set(int32_t x, int32_t y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) px_[static_cast<size_t>(y * width_ + x)] = c;
  }
  void rect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t c) {
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x) set(x, y, c);
  }
  void border(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t c) {
    rect(x0, y0, x1, y0 + 1, c);
    rect(x0, y1 - 1, x1, y1, c);
    rect(x0, y0, x0 + 1, y1, c);
    rect(x1 - 1, y0, x1, y1, c);
  }
  // Vertical blend from `top` to `bottom` in `steps` bands.
  void gradient(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t top, uint32_t bottom,
                int32_t steps) {
    for (int32_t y = y0; y < y1; ++y) {
      int32_t band = (y - y0) * steps / std::max(1, y1 - y0);
      rect(x0, y, x1, y + 1, mix(top, bottom, static_cast<double>(band) / std::max(1, steps - 1)));
    }
  }
  // A filled disc and a ring, edges left hard so the palette stays small.
  void disc(double cx, double cy, double r, uint32_t c) {
    for (int32_t y = 0; y < height_; ++y)
      for (int32_t x = 0; x < width_; ++x)
        if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r) set(x, y, c);
  }
  // Text in the 5 x 7 font, each cell `scale` pixels, one cell between
  // letters; (x, y) is the top left corner.
  void text(std::string_view s, int32_t x, int32_t y, int32_t scale, uint32_t c) {
    for (char ch : s) {
      const auto& glyph = letters().at(ch);
      for (int32_t row = 0; row < 7; ++row)
        for (int32_t col = 0; col < 5; ++col)
          if (glyph[static_cast<size_t>(row)][static_cast<size_t>(col)] == '#')
            rect(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, c);
      x += 6 * scale;
    }
  }
  // Text centred horizontally in the canvas, with a one-cell drop shadow
  // when `shadow` differs from `c`.
  void centredText(std::string_view s, int32_t y, int32_t scale, uint32_t c, uint32_t shadow) {
    int32_t w = textWidth(s, scale);
    int32_t x = (width_ - w) / 2;
    if (shadow != c) text(s, x + std::max(1, scale / 2), y + std::max(1, scale / 2), scale, shadow);
    text(s, x, y, scale, c);
  }
  static int32_t textWidth(std::string_view s, int32_t scale) {
    return static_cast<int32_t>(s.size()) * 6 * scale - scale;
  }
  static uint32_t mix(uint32_t a, uint32_t b, double t) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
      double x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
      out |= static_cast<uint32_t>(std::lround(x + (y - x) * t)) << shift;
    }
    return out;
  }

  std::vector<uint8_t> gif() const {
    std::map<uint32_t, uint8_t> index;
    util::Gif g;
    g.width = g.columns = width_;
    g.height = g.rows = height_;
    g.colormap.assign(768, 0);
    g.pixels.assign(static_cast<size_t>(height_),
                    std::vector<uint8_t>(static_cast<size_t>(width_)));
    for (int32_t y = 0; y < height_; ++y) {
      for (int32_t x = 0; x < width_; ++x) {
        uint32_t c = px_[static_cast<size_t>(y * width_ + x)];
        auto it = index.find(c);
        if (it == index.end()) {
          if (index.size() == 256) throw std::runtime_error("more than 256 colours in a picture");
          uint8_t i = static_cast<uint8_t>(index.size());
          it = index.emplace(c, i).first;
          g.colormap[i * 3u] = static_cast<uint8_t>(c >> 16);
          g.colormap[i * 3u + 1] = static_cast<uint8_t>(c >> 8);
          g.colormap[i * 3u + 2] = static_cast<uint8_t>(c);
        }
        g.pixels[static_cast<size_t>(y)][static_cast<size_t>(x)] = it->second;
      }
    }
    std::vector<uint8_t> out;
    if (!g.encode(out)) throw std::runtime_error("the GIF encoder refused a picture");
    return out;
  }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

 private:
  int32_t width_, height_;
  std::vector<uint32_t> px_;
};

// The round game badge: a slate disc in a gold ring with "BF" on it.
Canvas badge(int32_t w, int32_t h) {
  Canvas c(w, h, kPaper);
  double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) / 2.0 - 1;
  c.disc(cx, cy, r, kGoldDark);
  c.disc(cx, cy, r - 2, kGold);
  c.disc(cx, cy, r - 6, kInk);
  c.disc(cx, cy - r * 0.15, r - 14, kInkDark);
  int32_t scale = w >= 100 ? 5 : 4;
  c.centredText("BF", static_cast<int32_t>(cy) - 7 * scale / 2, scale, kGold, kInkDark);
  return c;
}

Canvas gameLogo() {
  Canvas c(272, 75, kInk);
  c.gradient(0, 0, 272, 75, kInk, kInkDark, 6);
  c.rect(0, 0, 272, 3, kGold);
  c.rect(0, 72, 272, 75, kGold);
  c.centredText("BRIMFALL", 16, 5, kGold, 0x0B1020);
  return c;
}

Canvas programLogo() {
  Canvas c(180, 60, kPaper);
  c.rect(4, 6, 176, 54, kWhite);
  c.border(4, 6, 176, 54, kFrame);
  c.rect(4, 48, 176, 54, kGold);
  c.centredText("VARDO", 12, 5, kInk, kMuted);
  return c;
}

Canvas makerLogo() {
  Canvas c(106, 32, kInk);
  c.rect(0, 29, 106, 32, kGold);
  c.centredText("QUILLON", 8, 2, kWhite, kInk);
  return c;
}

// The art below the sidebar links: a tiny rising bar chart in the first
// four line colours.
Canvas sidebarArt() {
  Canvas c(120, 90, kPaper);
  c.rect(0, 0, 120, 90, kWhite);
  c.border(0, 0, 120, 90, kFrame);
  c.rect(1, 1, 119, 16, kInk);
  c.centredText("STATS", 4, 1, kGold, kInk);
  const int32_t heights[] = {18, 30, 24, 44, 38, 56};
  for (int32_t i = 0; i < 6; ++i) {
    int32_t x = 14 + i * 16;
    c.rect(x, 82 - heights[i], x + 11, 82, legendColour(i % 4 + 1));
  }
  c.rect(8, 82, 112, 83, kFrame);
  return c;
}

Canvas skinCredit() {
  Canvas c(88, 31, kInk);
  c.border(0, 0, 88, 31, kGold);
  c.centredText("DEFAULT", 5, 1, kGold, kGold);
  c.centredText("SKIN", 17, 1, kWhite, kWhite);
  return c;
}

// The page background tile: paper with faint diagonal lines.
Canvas pageBackground() {
  Canvas c(64, 64, kPaper);
  for (int32_t i = 0; i < 64; ++i) {
    c.set(i, i, kPaperLine);
    c.set(i, (i + 32) % 64, kPaperLine);
  }
  return c;
}

Canvas legendSquare(uint32_t colour) {
  Canvas c(16, 16, kWhite);
  c.rect(2, 2, 14, 14, colour);
  c.border(2, 2, 14, 14, kInk);
  return c;
}

// The heading of the colour column: a small rising line on white.
Canvas legendHeading() {
  Canvas c(16, 16, kWhite);
  c.border(0, 0, 16, 16, kMuted);
  const int32_t ys[] = {12, 11, 10, 10, 9, 7, 6, 6, 5, 4, 3, 3};
  for (int32_t i = 0; i < 12; ++i) {
    c.set(2 + i, ys[i], legendColour(1));
    c.set(2 + i, ys[i] + 1, legendColour(1));
  }
  return c;
}

// A player who has no line in the graph: an empty square struck through.
Canvas noLine() {
  Canvas c(16, 16, kWhite);
  c.rect(2, 2, 14, 14, 0xE4E6EB);
  c.border(2, 2, 14, 14, kMuted);
  for (int32_t i = 3; i < 13; ++i) c.set(i, 15 - i, kMuted);
  return c;
}

void add(std::vector<SiteImage>& out, std::string path, const Canvas& c) {
  out.push_back({std::move(path), c.width(), c.height(), c.gif()});
}

}  // namespace

uint32_t legendColour(int32_t n) {
  if (n < 1 || n > 32) throw std::out_of_range("legend squares are numbered 1 to 32");
  // Line k = n - 1 gets colour (k mod 16) + 1, which the graph keeps at
  // palette entry 255 - colour.
  int32_t colour = (n - 1) % 16 + 1;
  const auto& rgb = util::LineGraph::lineColors[static_cast<size_t>(
      255 - colour - util::LineGraph::kFirstFixedEntry)];
  return uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | uint32_t{rgb[2]};
}

std::vector<SiteImage> siteImages() {
  std::vector<SiteImage> out;
  add(out, "graphics/BF_Logo_Large_Button.gif", badge(106, 106));
  add(out, "graphics/BF_Logo_Small_Button.gif", badge(86, 80));
  add(out, "graphics/brimfalllogo.gif", gameLogo());
  add(out, "graphics/Vardo.gif", programLogo());
  add(out, "graphics/Quillon_Logo_106_wide.gif", makerLogo());
  add(out, "graphics/white.gif", Canvas(1, 1, kWhite));
  for (int32_t n = 1; n <= 32; ++n)
    add(out, "graphics/g" + std::to_string(n) + ".gif", legendSquare(legendColour(n)));
  add(out, "graphics/g_legend.gif", legendHeading());
  add(out, "graphics/g_no.gif", noLine());
  add(out, "skins/custom_graphics/background.gif", pageBackground());
  add(out, "skins/custom_graphics/sidebar_120x90.gif", sidebarArt());
  add(out, "skins/custom_graphics/skin_credit_88x31.gif", skinCredit());
  // The score graphs' backgrounds, the large one and the small one.
  for (const auto& [name, height] :
       {std::pair{"graph_back_Vardo_big.gif", 500}, std::pair{"graph_back_Vardo.gif", 160}})
    out.push_back({std::string("graphics/") + name, 500, height, graphBackground(500, height)});
  return out;
}

}  // namespace tools::sitegen
