#include "util/font.h"

#include <array>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

namespace util {
namespace {

using Glyph = font::Glyph;
using Art = std::initializer_list<std::string_view>;

// Turns drawn rows ('#' ink, anything else blank) into a glyph.
Glyph fromArt(Art art) {
  Glyph g;
  for (std::string_view row : art) {
    std::vector<uint8_t> cells(row.size());
    for (size_t j = 0; j < row.size(); ++j) cells[j] = row[j] == '#' ? 1 : 0;
    g.push_back(std::move(cells));
  }
  return g;
}

// Number glyphs: 10 rows of 7 columns.
// clang-format off
const Art kDigitArt[] = {
  {".......", "..###..", ".#...#.", ".#...#.", ".#...#.", ".#...#.", ".#...#.", ".#...#.", "..###..", "......."},
  {".......", "..##...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", ".#####.", "......."},
  {".......", "..###..", ".#...#.", ".....#.", "....#..", "...#...", "..#....", ".#...#.", ".#####.", "......."},
  {".......", "..###..", ".#...#.", ".....#.", "...##..", ".....#.", ".....#.", ".#...#.", "..###..", "......."},
  {".......", "...##..", "..#.#..", "..#.#..", ".#..#..", "#...#..", "######.", "....#..", "...###.", "......."},
  {".......", "..####.", "..#....", "..#....", "..###..", ".....#.", ".....#.", ".#...#.", "..###..", "......."},
  {".......", "...###.", "..#....", ".#.....", ".####..", ".#...#.", ".#...#.", ".#...#.", "..###..", "......."},
  {".......", ".#####.", ".#...#.", ".....#.", "....#..", "....#..", "....#..", "...#...", "...#...", "......."},
  {".......", "..###..", ".#...#.", ".#...#.", "..###..", ".#...#.", ".#...#.", ".#...#.", "..###..", "......."},
  {".......", "..###..", ".#...#.", ".#...#.", ".#...#.", "..####.", ".....#.", "....#..", ".###...", "......."},
};
const Art kPointArt =
  {".......", ".......", ".......", ".......", ".......", ".......", ".......", "..##...", "..##...", "......."};
const Art kMinusArt =
  {".......", ".......", ".......", ".......", ".#####.", ".......", ".......", ".......", ".......", "......."};

// Letters of the axis titles: 13 rows each, bold strokes two pixels wide.
// Rows 0 to 2 hold ascenders, rows 3 to 9 the body of lower-case letters,
// rows 10 to 12 descenders.
const Art kF = {"..###", ".##..", ".##..", "#####", ".##..", ".##..", ".##..", ".##..", ".##..",
                ".##..", ".....", ".....", "....."};
const Art kR = {"......", "......", "......", "##.###", "####..", "###...", "##....", "##....",
                "##....", "##....", "......", "......", "......"};
const Art kA = {"......", "......", "......", ".####.", "....##", "....##", ".#####", "##..##",
                "##..##", ".#####", "......", "......", "......"};
const Art kG = {"......", "......", "......", ".#####", "##..##", "##..##", "##..##", "##..##",
                "##..##", ".#####", "....##", "##..##", ".####."};
const Art kS = {".....", ".....", ".....", ".####", "##...", "##...", ".###.", "...##", "...##",
                "####.", ".....", ".....", "....."};
const Art kC = {".....", ".....", ".....", ".####", "##...", "##...", "##...", "##...", "##...",
                ".####", ".....", ".....", "....."};
const Art kO = {"......", "......", "......", ".####.", "##..##", "##..##", "##..##", "##..##",
                "##..##", ".####.", "......", "......", "......"};
const Art kE = {"......", "......", "......", ".####.", "##..##", "##..##", "######", "##....",
                "##....", ".#####", "......", "......", "......"};
const Art kL = {"##", "##", "##", "##", "##", "##", "##", "##", "##", "##", "..", "..", ".."};
const Art kI = {"..", "##", "..", "##", "##", "##", "##", "##", "##", "##", "..", "..", ".."};
const Art kV = {"......", "......", "......", "##..##", "##..##", "##..##", "##..##", ".####.",
                ".####.", "..##..", "......", "......", "......"};
const Art kT = {"....", ".##.", ".##.", "####", ".##.", ".##.", ".##.", ".##.", ".##.", "..##",
                "....", "....", "...."};
const Art kM = {"..........", "..........", "..........", "#########.", "##..##..##",
                "##..##..##", "##..##..##", "##..##..##", "##..##..##", "##..##..##",
                "..........", "..........", ".........."};
const Art kN = {"......", "......", "......", "#####.", "##..##", "##..##", "##..##", "##..##",
                "##..##", "##..##", "......", "......", "......"};
const Art kCapitalM = {"##.....##", "###...###", "####.####", "##.###.##", "##..#..##",
                       "##.....##", "##.....##", "##.....##", "##.....##", "##.....##",
                       ".........", ".........", "........."};
const Art kOpen = {"..#", ".##", ".#.", "##.", "##.", "##.", "##.", "##.", "##.", ".#.", ".##",
                   "..#", "..."};
const Art kClose = {"#..", "##.", ".#.", ".##", ".##", ".##", ".##", ".##", ".##", ".#.", "##.",
                    "#..", "..."};
const Art kSpace = {"...", "...", "...", "...", "...", "...", "...", "...", "...", "...", "...",
                    "...", "..."};
// clang-format on

constexpr size_t kWordRows = 13;

// Sets letters side by side, one blank column apart, centred in a glyph of
// kWordRows rows and `width` columns.
Glyph word(std::initializer_list<const Art*> letters, size_t width) {
  std::vector<Glyph> parts;
  size_t inked = 0;
  for (const Art* a : letters) {
    parts.push_back(fromArt(*a));
    inked += parts.back()[0].size();
  }
  inked += parts.size() - 1;
  if (inked > width) throw std::logic_error("word glyph wider than its box");
  Glyph g(kWordRows, std::vector<uint8_t>(width, 0));
  size_t x = (width - inked) / 2;
  for (const Glyph& p : parts) {
    for (size_t i = 0; i < kWordRows; ++i)
      for (size_t j = 0; j < p[i].size(); ++j) g[i][x + j] = p[i][j];
    x += p[0].size() + 1;
  }
  return g;
}

// A quarter turn anticlockwise: the left end of the word comes to the bottom.
Glyph turnAnticlockwise(const Glyph& h) {
  const size_t rows = h.size();
  const size_t cols = h[0].size();
  Glyph v(cols, std::vector<uint8_t>(rows, 0));
  for (size_t i = 0; i < cols; ++i)
    for (size_t j = 0; j < rows; ++j) v[i][j] = h[j][cols - 1 - i];
  return v;
}

constexpr size_t kTurnedLength = 35;
constexpr size_t kTimeWidth = 64;

}  // namespace

const Glyph* font::getBitmap(char c) {
  static const std::array<Glyph, 12> glyphs = [] {
    std::array<Glyph, 12> g;
    for (size_t d = 0; d < 10; ++d) g[d] = fromArt(kDigitArt[d]);
    g[10] = fromArt(kPointArt);
    g[11] = fromArt(kMinusArt);
    return g;
  }();
  if (c >= '0' && c <= '9') return &glyphs[static_cast<size_t>(c - '0')];
  if (c == '.') return &glyphs[10];
  if (c == '-') return &glyphs[11];
  return nullptr;
}

const Glyph& font::fragsV() {
  static const Glyph g = turnAnticlockwise(word({&kF, &kR, &kA, &kG, &kS}, kTurnedLength));
  return g;
}

const Glyph& font::scoreV() {
  static const Glyph g = turnAnticlockwise(word({&kS, &kC, &kO, &kR, &kE}, kTurnedLength));
  return g;
}

const Glyph& font::livesV() {
  static const Glyph g = turnAnticlockwise(word({&kL, &kI, &kV, &kE, &kS}, kTurnedLength));
  return g;
}

const Glyph& font::time() {
  static const Glyph g =
      word({&kT, &kI, &kM, &kE, &kSpace, &kOpen, &kCapitalM, &kI, &kN, &kClose}, kTimeWidth);
  return g;
}

}  // namespace util
