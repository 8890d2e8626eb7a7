// Fuzz entry point of the GIF reader. Every file the reader accepts must
// have the announced shape, survive being installed as a graph background,
// and, when it has a full 256-entry table, write and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "util/Gif.h"
#include "util/LineGraph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  util::Gif gif;
  if (!gif.decode(std::span<const uint8_t>(data, size))) return 0;

  if (gif.pixels.size() != static_cast<size_t>(gif.rows)) std::abort();
  for (const auto& row : gif.pixels)
    if (row.size() != static_cast<size_t>(gif.columns)) std::abort();

  util::LineGraph graph(40, 30);
  const bool installed = graph.loadBackgroundImage(gif.pixels, gif.colormap);
  if (installed != (gif.colormap.size() == 768)) std::abort();
  graph.initGraph();

  if (gif.colormap.size() == 768 && int64_t{gif.columns} * gif.rows <= (1 << 16)) {
    std::vector<uint8_t> out;
    if (!gif.encode(out)) std::abort();
    util::Gif back;
    if (!back.decode(out) || back.pixels != gif.pixels || back.colormap != gif.colormap)
      std::abort();
  }
  return 0;
}
