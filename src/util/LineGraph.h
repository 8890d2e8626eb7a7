#pragma once

#include <cstdint>
#include <vector>

namespace util {

// The score-over-time graph: a palettised canvas of width x height pixels.
// A new canvas is filled with palette entry 255, which is also what a graph
// shows when its background image cannot be loaded.
class LineGraph {
 public:
  LineGraph(int32_t width, int32_t height)
      : width_(width),
        height_(height),
        pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), 255) {}

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  const std::vector<uint8_t>& pixels() const { return pixels_; }

 private:
  int32_t width_;
  int32_t height_;
  std::vector<uint8_t> pixels_;
};

}  // namespace util
