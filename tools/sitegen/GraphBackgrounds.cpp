#include "tools/sitegen/GraphBackgrounds.h"

// The background of the score graphs. The picture is dark and calm so that
// the sixteen line colours stand out: a deep slate margin around a plot
// panel that darkens gently towards the top, placed where the graph's
// default bounds put the plot.
#include <cmath>
#include <stdexcept>
#include <vector>

#include "util/Gif.h"
#include "util/LineGraph.h"

namespace tools::sitegen {
namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb kMargin{24, 28, 40};
constexpr Rgb kPanelTop{12, 15, 26};
constexpr Rgb kPanelBottom{22, 27, 44};
constexpr Rgb kPanelEdge{30, 35, 50};

Rgb mix(Rgb a, Rgb b, double t) {
  auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// The palette of the picture, entries 0 to 236; 237 to 255 are the graph's
// fixed colours so that the file also looks right on its own.
class Palette {
 public:
  uint8_t index(Rgb c) {
    for (size_t i = 0; i < colours_.size(); ++i)
      if (colours_[i] == c) return static_cast<uint8_t>(i);
    if (colours_.size() >= util::LineGraph::kFirstFixedEntry)
      throw std::runtime_error("too many background colours");
    colours_.push_back(c);
    return static_cast<uint8_t>(colours_.size() - 1);
  }
  std::vector<uint8_t> colormap() const {
    std::vector<uint8_t> map(768, 0);
    for (size_t i = 0; i < colours_.size(); ++i) {
      map[i * 3] = static_cast<uint8_t>(colours_[i].r);
      map[i * 3 + 1] = static_cast<uint8_t>(colours_[i].g);
      map[i * 3 + 2] = static_cast<uint8_t>(colours_[i].b);
    }
    for (size_t i = 0; i < util::LineGraph::lineColors.size(); ++i)
      for (size_t c = 0; c < 3; ++c)
        map[(util::LineGraph::kFirstFixedEntry + i) * 3 + c] = util::LineGraph::lineColors[i][c];
    return map;
  }

 private:
  std::vector<Rgb> colours_;
};

}  // namespace

std::vector<uint8_t> graphBackground(int32_t width, int32_t height) {
  const util::LineGraph graph(width, height);  // for the default plot bounds
  const int32_t x0 = graph.xmin(), x1 = graph.xmax(), y0 = graph.ymin(), y1 = graph.ymax();
  Palette palette;
  util::Gif gif;
  gif.width = gif.columns = width;
  gif.height = gif.rows = height;
  gif.pixels.assign(static_cast<size_t>(height), std::vector<uint8_t>(static_cast<size_t>(width)));
  for (int32_t y = 0; y < height; ++y) {
    const Rgb panel = mix(kPanelTop, kPanelBottom, static_cast<double>(y - y0) / (y1 - y0));
    for (int32_t x = 0; x < width; ++x) {
      Rgb c = kMargin;
      if (x >= x0 - 1 && x <= x1 + 1 && y >= y0 - 1 && y <= y1 + 1) c = kPanelEdge;
      if (x >= x0 && x <= x1 && y >= y0 && y <= y1) c = panel;
      gif.pixels[static_cast<size_t>(y)][static_cast<size_t>(x)] = palette.index(c);
    }
  }
  gif.colormap = palette.colormap();
  std::vector<uint8_t> out;
  if (!gif.encode(out)) throw std::runtime_error("the encoder refused the picture");
  return out;
}

}  // namespace tools::sitegen
